#include "ui/Controls.h"

#include <QCheckBox>
#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QEvent>
#include <QHelpEvent>
#include <QFont>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleOptionButton>
#include <QStyleFactory>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTextDocument>
#include <QToolTip>
#include <QValidator>
#include <algorithm>

#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace ui {

namespace {
// Where a frame's caption starts, and the gap it cuts into the border on each side.
constexpr int CaptionLeft = 8;
constexpr int CaptionGap = 2;

// Room for a line and a half means the caption was laid out to run onto more lines; the
// lines are those of MS Sans Serif 8.25 pt, 13 pixels, which the windows were laid out for.
bool holdsSeveralLines(int heightPixels) {
    constexpr int DesignLinePixels = 13;
    return heightPixels * 2 >= DesignLinePixels * 3;
}

// Keys move the thumb as on the classic desktop, whatever the orientation: left and up towards
// the minimum, right and down towards the maximum. (Qt's scroll bars swap left and right.)
class ScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        SliderAction action = SliderNoAction;
        switch (event->key()) {
            case Qt::Key_Left:
            case Qt::Key_Up: action = SliderSingleStepSub; break;
            case Qt::Key_Right:
            case Qt::Key_Down: action = SliderSingleStepAdd; break;
            case Qt::Key_PageUp: action = SliderPageStepSub; break;
            case Qt::Key_PageDown: action = SliderPageStepAdd; break;
            case Qt::Key_Home: action = SliderToMinimum; break;
            case Qt::Key_End: action = SliderToMaximum; break;
            default: QScrollBar::keyPressEvent(event); return;
        }
        if (event->modifiers() != Qt::NoModifier && event->modifiers() != Qt::KeypadModifier) {
            QScrollBar::keyPressEvent(event);
            return;
        }
        triggerAction(action);
        event->accept();
    }
};

template <class Control>
Control* named(Control* control, const char* name, int left, int top, int width, int height) {
    control->setObjectName(QString::fromUtf8(name));
    Form::place(control, left, top, width, height);
    return control;
}
}  // namespace

QFont dialogFont() {
    // The windows were laid out for MS Sans Serif 8.25 pt, which is not installed. Of the installed
    // families, Liberation Sans and DejaVu Sans Condensed at 10 pixels fit every text in its
    // rectangle; at 11 pixels the patcher's header needs a fifth line its label has no room for,
    // and DejaVu Sans runs wider still. Pixels, not points: the dots per inch of the screen must
    // not change what fits. Named directly: a family that is not installed costs every window a
    // search of the font database for its substitutes.
    QFont font(QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPixelSize(10);
    return font;
}

QFont consoleFont(double points) {
    // Courier New is not installed; Liberation Mono has its metrics.
    QFont font(QStringList{QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(static_cast<int>(points * 96.0 / 72.0 + 0.5));
    return font;
}

QRect Frame::captionRect() const {
    const QFontMetrics metrics = fontMetrics();
    return QRect(CaptionLeft, 0, metrics.size(Qt::TextShowMnemonic, title()).width(), metrics.height());
}

void Frame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // An etched border whose top edge runs through the middle of the caption's line.
    const QRect border = rect().adjusted(0, fontMetrics().height() / 2, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(border.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(border.adjusted(1, 1, 0, 0));
    if (title().isEmpty()) return;
    const QRect caption = captionRect();
    painter.fillRect(caption.adjusted(-CaptionGap, 0, CaptionGap, 0), palette().window());
    style()->drawItemText(&painter, caption, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, palette(),
                          isEnabled(), title(), QPalette::WindowText);
}

bool OptionButton::wordWrap() const { return holdsSeveralLines(height()); }

QRect OptionButton::textArea() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    if (!wordWrap()) return style()->subElementRect(QStyle::SE_RadioButtonContents, &option, this);
    // The mark stands beside the first line; the caption takes the rest of the width.
    option.rect = QRect(0, 0, width(), fontMetrics().height());
    const QRect mark = style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, this);
    const int spacing = style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &option, this);
    return rect().adjusted(mark.right() + 1 + spacing, 0, 0, 0);
}

void OptionButton::paintEvent(QPaintEvent* event) {
    if (!wordWrap()) {
        QRadioButton::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    QStyleOptionButton mark = option;
    mark.rect = QRect(0, 0, width(), fontMetrics().height());
    mark.rect = style()->subElementRect(QStyle::SE_RadioButtonIndicator, &mark, this);
    painter.drawPrimitive(QStyle::PE_IndicatorRadioButton, mark);

    const QRect area = textArea();
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
    painter.drawItemText(area, flags, option.palette, isEnabled(), text(), QPalette::WindowText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = fontMetrics().boundingRect(area, flags, text()).adjusted(-1, 0, 1, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool OptionButton::hitButton(const QPoint& pos) const { return rect().contains(pos); }

QLabel* makeLabel(QWidget* parent, const char* name, const std::string& text, int left, int top, int width, int height) {
    auto* label = named(new QLabel(parent), name, left, top, width, height);
    label->setTextFormat(Qt::PlainText);
    label->setText(qs(text));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(holdsSeveralLines(label->height()));
    return label;
}

QLabel* makeCentredLabel(QWidget* parent, const char* name, const std::string& text, int left, int top, int width,
                         int height) {
    QLabel* label = makeLabel(parent, name, text, left, top, width, height);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

QLabel* makeBorderedLabel(QWidget* parent, const char* name, const std::string& text, int left, int top, int width,
                          int height) {
    QLabel* label = makeLabel(parent, name, text, left, top, width, height);
    label->setFrameShape(QFrame::Box);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const std::string& text, int left, int top, int width,
                        int height) {
    return named(new QPushButton(qs(text), parent), name, left, top, width, height);
}

Frame* makeFrame(QWidget* parent, const char* name, const std::string& title, int left, int top, int width,
                 int height) {
    return named(new Frame(qs(title), parent), name, left, top, width, height);
}

QLineEdit* makeTextBox(QWidget* parent, const char* name, const std::string& text, int left, int top, int width,
                       int height, bool readOnly) {
    auto* box = named(new QLineEdit(qs(text), parent), name, left, top, width, height);
    box->setReadOnly(readOnly);
    return box;
}

QPlainTextEdit* makeMultiLineBox(QWidget* parent, const char* name, const std::string& text, int left, int top,
                                 int width, int height, bool readOnly) {
    auto* box = named(new QPlainTextEdit(qs(text), parent), name, left, top, width, height);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(true);
    box->setReadOnly(readOnly);
    if (readOnly) box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return box;
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const std::string& text, int left, int top, int width,
                        int height) {
    return named(new QCheckBox(qs(text), parent), name, left, top, width, height);
}

QListWidget* makeList(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* list = named(new QListWidget(parent), name, left, top, width, height);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

namespace {

// The classic drop-down button is narrower than the 19 pixels Qt's style gives its arrow; the
// lists were laid out for the room that leaves their text ("Observer" in a list 65 pixels wide).
class DropDownStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override {
        QRect rect = QProxyStyle::subControlRect(control, option, sub, widget);
        if (control != CC_ComboBox) return rect;
        constexpr int Narrower = 5;
        if (sub == SC_ComboBoxArrow) rect.setLeft(rect.left() + Narrower);
        if (sub == SC_ComboBoxEditField) rect.setRight(rect.right() + Narrower);
        return rect;
    }
};

QStyle* dropDownStyle() {
    // A widget does not own the style set on it: this one lives as long as the application.
    static QStyle* style = new DropDownStyle(QStyleFactory::create(QApplication::style()->name()));
    return style;
}

}  // namespace

QComboBox* makeDropDownList(QWidget* parent, const char* name, const std::vector<std::string>& items, int left, int top,
                            int width, int height) {
    auto* list = named(new QComboBox(parent), name, left, top, width, height);
    list->setEditable(false);
    list->setStyle(dropDownStyle());
    fillDropDownList(list, items);
    return list;
}

void fillDropDownList(QComboBox* list, const std::vector<std::string>& items) {
    const QSignalBlocker quiet(list);
    list->clear();
    for (const std::string& item : items) list->addItem(qs(item));
    list->setCurrentIndex(-1);
}

Picture::Picture(QWidget* parent) : QFrame(parent), client_(new QWidget(this)) {
    // The classic three-dimensional border of a picture box.
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
}

void Picture::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    client_->setGeometry(contentsRect());
}

Picture* makePicture(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* picture = named(new Picture(parent), name, left, top, width, height);
    // A hidden widget gets its resize event only when shown; its children are placed before that.
    picture->client()->setGeometry(picture->contentsRect());
    return picture;
}

QFrame* makeShape(QWidget* parent, const char* name, bool border, int left, int top, int width, int height) {
    auto* shape = named(new QFrame(parent), name, left, top, width, height);
    if (border) shape->setFrameStyle(QFrame::Box | QFrame::Plain);
    shape->setAutoFillBackground(true);
    shape->setAttribute(Qt::WA_TransparentForMouseEvents);
    return shape;
}

void setFillColour(QWidget* shape, const QColor& colour) {
    QPalette palette = shape->palette();
    palette.setColor(QPalette::Window, colour);
    shape->setPalette(palette);
}

void setBoxBackground(QWidget* box, const QColor& colour) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, colour);
    box->setPalette(palette);
}

QWidget* makeLine(QWidget* parent, const char* name, int x1, int y1, int x2, int y2, QPalette::ColorRole colour) {
    auto* line = new QWidget(parent);
    line->setObjectName(QString::fromUtf8(name));
    line->setGeometry(Form::px(std::min(x1, x2)), Form::px(std::min(y1, y2)), std::abs(Form::px(x2) - Form::px(x1)) + 1,
                      std::abs(Form::px(y2) - Form::px(y1)) + 1);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, palette.color(colour));
    line->setPalette(palette);
    line->setAutoFillBackground(true);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    return line;
}

namespace {

// The stored bytes of the character that ends just before `end` (a byte kept from a text that is
// not UTF-8 counts one), and in `length` its units in the QString (a surrogate pair is one character).
qsizetype storedBytesBefore(const QString& text, qsizetype end, qsizetype* length) {
    *length = end >= 2 && text.at(end - 1).isLowSurrogate() && text.at(end - 2).isHighSurrogate() ? 2 : 1;
    return static_cast<qsizetype>(ss(text.mid(end - *length, *length)).size());
}

class StoredBytesLimit : public QValidator {
public:
    StoredBytesLimit(int maxBytes, QObject* parent) : QValidator(parent), maxBytes_(maxBytes) {}

    State validate(QString& input, int& pos) const override {
        qsizetype excess = static_cast<qsizetype>(ss(input).size()) - maxBytes_;
        if (excess <= 0) return Acceptable;
        // What was just put in ends at the cursor: it loses its end first, then the text its own.
        qsizetype end = std::clamp<qsizetype>(pos, 0, input.size());
        while (excess > 0 && end > 0) {
            qsizetype length = 0;
            excess -= storedBytesBefore(input, end, &length);
            input.remove(end - length, length);
            end -= length;
        }
        while (excess > 0 && !input.isEmpty()) {
            qsizetype length = 0;
            excess -= storedBytesBefore(input, input.size(), &length);
            input.chop(length);
        }
        pos = static_cast<int>(std::min(end, input.size()));
        return Acceptable;
    }

private:
    int maxBytes_;
};

}  // namespace

void limitStoredBytes(QLineEdit* box, int maxBytes) {
    box->setValidator(new StoredBytesLimit(maxBytes, box));
    // A text set before the limit is held to it as well.
    box->setText(box->text());
}

OptionButton* makeOption(QWidget* parent, const char* name, const std::string& text, int left, int top, int width,
                         int height) {
    return named(new OptionButton(qs(text), parent), name, left, top, width, height);
}

QScrollBar* makeScrollBar(QWidget* parent, const char* name, Qt::Orientation orientation, int left, int top, int width,
                          int height) {
    auto* bar = named(new ScrollBar(orientation, parent), name, left, top, width, height);
    // Qt's scroll bars never take the focus; ours are controls of their own in the tab order.
    bar->setFocusPolicy(Qt::StrongFocus);
    return bar;
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

namespace {

// Shows the control's tooltip escaped, so that Qt's guess at rich text never applies.
class PlainToolTip : public QObject {
public:
    // Found again by its name: a class without its own meta-object would match any child.
    static constexpr const char* Name = "PlainToolTip";
    explicit PlainToolTip(QObject* parent) : QObject(parent) { setObjectName(QString::fromLatin1(Name)); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
        auto* control = static_cast<QWidget*>(watched);
        if (control->toolTip().isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                               Qt::convertFromPlainText(control->toolTip(), Qt::WhiteSpaceNoWrap), control);
        }
        return true;
    }
};

}  // namespace

void setPlainToolTip(QWidget* control, const std::string& text) {
    if (!control->findChild<QObject*>(QString::fromLatin1(PlainToolTip::Name), Qt::FindDirectChildrenOnly))
        control->installEventFilter(new PlainToolTip(control));
    control->setToolTip(qs(text));
}

void makeBold(QWidget* control) {
    QFont bold = control->font();
    bold.setBold(true);
    control->setFont(bold);
}

void setupImage(QLabel* image, const char* name, int iconPixels, int left, int top, int width, int height) {
    named(image, name, left, top, width, height);
    image->setScaledContents(true);
    const QIcon& icon = applicationIcon();
    if (!icon.isNull()) image->setPixmap(icon.pixmap(iconPixels, iconPixels));
}

void setTextColour(QWidget* control, int red, int green, int blue) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, QColor(red, green, blue));
    control->setPalette(palette);
}

namespace {

// Runs a procedure, through the guard, for the mouse events of one type that `wanted` picks.
class MouseFilter : public QObject {
public:
    using Wanted = std::function<bool(const QWidget*, const QMouseEvent*)>;
    MouseFilter(QWidget* control, QEvent::Type type, Wanted wanted, std::function<void()> procedure)
        : QObject(control), type_(type), wanted_(std::move(wanted)), procedure_(std::move(procedure)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == type_ && wanted_(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event)))
            runGuarded(procedure_);
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type type_;
    Wanted wanted_;
    std::function<void()> procedure_;
};

}  // namespace

void onClick(QWidget* control, std::function<void()> procedure) {
    auto releasedOver = [](const QWidget* widget, const QMouseEvent* mouse) {
        return mouse->button() == Qt::LeftButton && widget->isEnabled() &&
               widget->rect().contains(mouse->position().toPoint());
    };
    control->installEventFilter(
        new MouseFilter(control, QEvent::MouseButtonRelease, releasedOver, std::move(procedure)));
}

namespace {

class KeyFilter : public QObject {
public:
    KeyFilter(QWidget* control, std::function<void(int)> procedure) : QObject(control), procedure_(std::move(procedure)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            runGuarded([this, key] { procedure_(key); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(int)> procedure_;
};

}  // namespace

void onKeyDown(QWidget* control, std::function<void(int)> procedure) {
    control->installEventFilter(new KeyFilter(control, std::move(procedure)));
}

void onMouseMove(QWidget* control, std::function<void()> procedure) {
    // Without tracking, only moves with a button held would reach it.
    control->setMouseTracking(true);
    auto any = [](const QWidget*, const QMouseEvent*) { return true; };
    control->installEventFilter(new MouseFilter(control, QEvent::MouseMove, any, std::move(procedure)));
}

}  // namespace ui
