#include "ui/Dialogs.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include "ui/Application.h"
#include "ui/Text.h"

namespace {
void showBox(QWidget* owner, QMessageBox::Icon icon, const std::string& title, const std::string& text) {
    QMessageBox box(icon, qs(title), qs(text), QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
}  // namespace

void QtDialogs::info(QWidget* owner, const std::string& title, const std::string& text) {
    ui::ensureApplication();
    showBox(owner, QMessageBox::Information, title, text);
}

bool QtDialogs::askYesNo(QWidget* owner, const std::string& title, const std::string& text) {
    ui::ensureApplication();
    QMessageBox box(QMessageBox::NoIcon, qs(title), qs(text), QMessageBox::Yes | QMessageBox::No, owner);
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
    QFileDialog dialog(owner, qs(spec.title), qs(spec.startFolder));
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
