#include "ui/Dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Text.h"

QWidget* ui::boxOwner(QWidget* owner) {
    if (owner) return owner->window();
    if (!applicationExists()) return nullptr;
    // The window whose modal show is running owns what it shows, even when another program has
    // the focus at that moment.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

namespace {

int boxWidthForTitle(const QWidget* box) {
    // Title bars draw their text in bold beside the window icon and up to three buttons; six
    // cells a line high leave room for those and the padding (openbox takes about 100 pixels).
    QFont bold = box->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    return metrics.horizontalAdvance(box->windowTitle()) + 6 * (metrics.height() + 4);
}

// A box that belongs to its owner: transient for it (Qt makes a parented dialog so), kept above
// it when the owner is topmost (or the window manager would keep the box below it, out of
// sight, with the focus), and centred on the screen while the owner is not on it yet.
template <class Box>
class OwnedBox : public Box {
public:
    template <class... Args>
    explicit OwnedBox(QWidget* owner, Args&&... args) : Box(std::forward<Args>(args)...) {
        owner = ui::boxOwner(owner);
        if (!owner) {
            centre_ = true;
            return;
        }
        this->setParent(owner, this->windowFlags());
        if (owner->windowFlags() & Qt::WindowStaysOnTopHint) this->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        centre_ = !owner->isVisible();
    }

protected:
    void showEvent(QShowEvent* event) override {
        if constexpr (std::is_base_of_v<QMessageBox, Box>) keepTitleWhole();
        Box::showEvent(event);
        if (centre_) ui::centreOnScreen(this);
    }

private:
    // A short message would make the box too narrow for its own title. The box sizes itself
    // from its layout's minimum whenever it lays itself out, so the room goes into the layout.
    void keepTitleWhole() {
        auto* grid = qobject_cast<QGridLayout*>(this->layout());
        if (!grid || titleRoom_) return;
        const QMargins margins = grid->contentsMargins();
        titleRoom_ = new QSpacerItem(boxWidthForTitle(this) - margins.left() - margins.right(), 0);
        grid->addItem(titleRoom_, grid->rowCount(), 0, 1, grid->columnCount());
    }

    bool centre_ = false;
    QSpacerItem* titleRoom_ = nullptr;
};

using MessageBox = OwnedBox<QMessageBox>;

// A question has no cancel, as the system's own Yes/No box has none: QMessageBox would take
// Escape and the close box for its No.
class Question : public MessageBox {
public:
    using MessageBox::MessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Cancel)) return event->accept();
        MessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

void showBox(QWidget* owner, QMessageBox::Icon icon, const std::string& title, const std::string& text) {
    MessageBox box(owner, icon, qs(title), qs(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
}  // namespace

void QtDialogs::info(QWidget* owner, const std::string& title, const std::string& text) {
    ui::ensureApplication();
    showBox(owner, QMessageBox::Information, title, text);
}

bool QtDialogs::askYesNo(QWidget* owner, const std::string& title, const std::string& text, BoxIcon icon) {
    ui::ensureApplication();
    Question box(owner, icon == BoxIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, qs(title), qs(text), QMessageBox::Yes | QMessageBox::No);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

void QtDialogs::critical(QWidget* owner, const std::string& title, const std::string& text) {
    ui::ensureApplication();
    showBox(owner, QMessageBox::Critical, title, text);
}

std::optional<std::string> QtDialogs::openFile(QWidget* owner, const FilePickerSpec& spec) {
    ui::ensureApplication();
    OwnedBox<QFileDialog> dialog(owner, nullptr, qs(spec.title), qs(spec.startFolder));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name that does not exist yet is an answer too.
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const auto& [description, pattern] : spec.filters) {
        // Qt separates the patterns of one filter by spaces; ours may come with semicolons.
        QString patterns = qs(pattern);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << qs(description) + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    // The descriptions show as given, as the system's picker shows them: their patterns only filter.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // Game files come as MAP.W3X as often as map.w3x.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return ss(QDir::toNativeSeparators(chosen.first()));
}

void QtDialogs::setClipboardText(const std::string& text) {
    ui::ensureApplication();
    QGuiApplication::clipboard()->setText(qs(text));
}
