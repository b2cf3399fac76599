#include "ui/Form.h"

#include <QColor>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "ui/Application.h"
#include "ui/Guard.h"
#include "ui/Text.h"

ui::detail::ApplicationFirst::ApplicationFirst() { ui::ensureApplication(); }

Form::Form(QWidget* owner) : QDialog(owner) {}

void Form::setupWindow(const std::string& caption, int widthTwips, int heightTwips) {
    setWindowTitle(qs(caption));
    // Fixed single border: a close box, no maximise or minimise, no resizing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(px(widthTwips), px(heightTwips));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    setFont(font);
    setWindowIcon(ui::applicationIcon());
}

void Form::place(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(px(left), px(top), px(width), px(height));
}

void Form::showModal() {
    if (unloaded_) return;
    exec();
}

void Form::unload() {
    unloaded_ = true;
    // Ends a running exec(); before the first show it only keeps the window hidden.
    hide();
}

void Form::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // QDialog would reject (and so close) any window; ours close only through their
        // cancel button, which runs that button's own procedure (a disabled one ignores it).
        if (cancelButton_) cancelButton_->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (centred_) return;
    centred_ = true;
    if (QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        const QRect frame = frameGeometry();
        move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
    }
}

namespace ui {

QLabel* makeLabel(QWidget* parent, const char* name, const std::string& text, int left, int top, int width, int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(qs(text));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for a line and a half means the caption was laid out to run onto more lines.
    label->setWordWrap(Form::px(height) * 2 >= label->fontMetrics().lineSpacing() * 3);
    Form::place(label, left, top, width, height);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const std::string& text, int left, int top, int width,
                        int height) {
    auto* button = new QPushButton(qs(text), parent);
    button->setObjectName(QString::fromUtf8(name));
    Form::place(button, left, top, width, height);
    return button;
}

QGroupBox* makeFrame(QWidget* parent, const char* name, const std::string& title, int left, int top, int width,
                     int height) {
    auto* frame = new QGroupBox(qs(title), parent);
    frame->setObjectName(QString::fromUtf8(name));
    Form::place(frame, left, top, width, height);
    return frame;
}

QLineEdit* makeTextBox(QWidget* parent, const char* name, const std::string& text, int left, int top, int width,
                       int height, bool readOnly) {
    auto* box = new QLineEdit(qs(text), parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setReadOnly(readOnly);
    Form::place(box, left, top, width, height);
    return box;
}

namespace {
// A map sheet with a flag planted on it: drawn here so the program needs no image files.
QPixmap drawIcon() {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    p.setPen(QPen(QColor(20, 40, 70), 2));
    p.setBrush(QColor(40, 90, 150));
    p.drawRoundedRect(QRectF(2, 2, 44, 44), 8, 8);

    QPainterPath land;
    land.moveTo(8, 38);
    land.lineTo(16, 26);
    land.lineTo(24, 32);
    land.lineTo(32, 20);
    land.lineTo(40, 38);
    land.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 160, 70));
    p.drawPath(land);

    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(32, 20), QPointF(32, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 50, 40));
    p.drawPolygon(QPolygonF({QPointF(33, 7), QPointF(42, 10.5), QPointF(33, 14)}));
    return pixmap;
}
}  // namespace

const QIcon& applicationIcon() {
    ensureApplication();
    // Kept for the whole run, like the application that needs it.
    static const QIcon* icon = new QIcon(drawIcon());
    return *icon;
}

}  // namespace ui

void SetTopMost(QWidget* window, bool onTop) {
    // Changing window flags re-creates a native window; done before the first show it costs nothing.
    bool wasVisible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) window->show();
    window->raise();
    window->activateWindow();
}

void ui::makeBold(QWidget* control) {
    QFont bold = control->font();
    bold.setBold(true);
    control->setFont(bold);
}

void ui::setupImage(QLabel* image, const char* name, int iconPixels, int left, int top, int width, int height) {
    image->setObjectName(name);
    image->setScaledContents(true);
    Form::place(image, left, top, width, height);
    const QIcon& icon = applicationIcon();
    if (!icon.isNull()) image->setPixmap(icon.pixmap(iconPixels, iconPixels));
}

void ui::setTextColour(QWidget* control, int red, int green, int blue) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, QColor(red, green, blue));
    control->setPalette(palette);
}

namespace {

class ClickFilter : public QObject {
public:
    ClickFilter(QWidget* control, std::function<void()> procedure) : QObject(control), procedure_(std::move(procedure)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            auto* control = static_cast<QWidget*>(watched);
            if (mouse->button() == Qt::LeftButton && control->rect().contains(mouse->position().toPoint()))
                ui::runGuarded(procedure_);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> procedure_;
};

}  // namespace

void ui::onClick(QWidget* control, std::function<void()> procedure) {
    control->installEventFilter(new ClickFilter(control, std::move(procedure)));
}
