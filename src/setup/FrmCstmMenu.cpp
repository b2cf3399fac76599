#include "setup/FrmCstmMenu.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include "common/App.h"
#include "common/Standard.h"
#include "platform/ProfileFile.h"
#include "ui/Dialogs.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace {

const std::string Caption = "Vesk Application Quick Starter...";
const std::string NewItem = "<New Item...>";

// The settings file gives back at most this many bytes of a value: a longer one would not come
// back as it was typed.
constexpr int StoredBytes = static_cast<int>(profile::BufferSize) - 1;

}  // namespace

FrmCstmMenu::FrmCstmMenu(App& app, Shared&) : app_(app) {
    setupWindow(Caption, 7815, 7230);

    // Made in tab order.
    MenuItems = ui::makeList(this, "MenuItems", 120, 120, 5415, 4935);
    BtnAdd = ui::makeButton(this, "BtnAdd", "&Add Entry...", 5640, 120, 2055, 495);
    BtnRemove = ui::makeButton(this, "BtnRemove", "&Delete Entry...", 5640, 720, 2055, 495);
    BtnEdit = ui::makeButton(this, "BtnEdit", "&Edit Entry...", 5640, 1320, 2055, 495);
    Line1 = ui::makeLine(this, "Line1", 5640, 1920, 7680, 1920, QPalette::Dark);
    BtnSort[0] = ui::makeButton(this, "BtnSort(0)", "1 &up...", 5640, 2040, 975, 495);
    BtnSort[1] = ui::makeButton(this, "BtnSort(1)", "1 d&own...", 5640, 2640, 975, 495);
    Frame1 = ui::makeFrame(this, "Frame1", "Edit Item:", 120, 5160, 7575, 1935);
    Label1 = ui::makeLabel(Frame1, "Label1", "Name:", 120, 360, 465, 195);
    TxtName = ui::makeTextBox(Frame1, "TxtName", "", 1080, 360, 6375, 285);
    Label2 = ui::makeLabel(Frame1, "Label2", "Path:", 120, 720, 375, 195);
    TxtPath = ui::makeTextBox(Frame1, "TxtPath", "", 1080, 720, 5895, 285);
    BtnDlg = ui::makeButton(Frame1, "BtnDlg", "...", 7080, 720, 375, 255);
    BtnCancelEdit = ui::makeButton(Frame1, "BtnCancelEdit", "Cancel", 4440, 1440, 1215, 375);
    BtnAddEdit = ui::makeButton(Frame1, "BtnAddEdit", "Add/Edit entry...", 5760, 1440, 1695, 375);
    BtnSave = ui::makeButton(this, "BtnSave", "&Save", 5640, 4560, 2055, 495);
    setDefaultButton(BtnSave);
    Label3 = ui::makeLabel(Frame1, "Label3", "Arguments:", 120, 1080, 795, 195);
    TxtArg = ui::makeTextBox(Frame1, "TxtArg", "", 1080, 1080, 6375, 285);
    for (QLineEdit* field : {TxtName, TxtPath, TxtArg}) ui::limitStoredBytes(field, StoredBytes);

    connect(MenuItems, &QListWidget::itemSelectionChanged, this, ui::guarded([this] { MenuItems_Click(); }));
    connect(MenuItems, &QListWidget::itemDoubleClicked, this, ui::guarded([this] { MenuItems_DblClick(); }));
    // The user's scrolling only: the list scrolling itself to a selected row is no event.
    connect(MenuItems->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            ui::guarded([this] { MenuItems_Scroll(); }));
    connect(BtnAdd, &QPushButton::clicked, this, ui::guarded([this] { BtnAdd_Click(); }));
    connect(BtnRemove, &QPushButton::clicked, this, ui::guarded([this] { BtnRemove_Click(); }));
    connect(BtnEdit, &QPushButton::clicked, this, ui::guarded([this] { BtnEdit_Click(); }));
    for (int index : {0, 1})
        connect(BtnSort[index], &QPushButton::clicked, this, ui::guarded([this, index] { BtnSort_Click(index); }));
    connect(BtnDlg, &QPushButton::clicked, this, ui::guarded([this] { BtnDlg_Click(); }));
    connect(BtnCancelEdit, &QPushButton::clicked, this, ui::guarded([this] { BtnCancelEdit_Click(); }));
    connect(BtnAddEdit, &QPushButton::clicked, this, ui::guarded([this] { BtnAddEdit_Click(); }));
    connect(BtnSave, &QPushButton::clicked, this, ui::guarded([this] { BtnSave_Click(); }));

    // The tooltip's filter goes on before the click's: installed while a click is being handled,
    // it would shift the filters and hand that same click to the picker a second time.
    ui::setPlainToolTip(TxtPath, "");
    ui::onClick(TxtPath, [this] { TxtPath_Click(); });
    // The focus coming from another control of this window; coming back from the picker, or from
    // another program, it comes from no control of this window.
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* before, QWidget* now) {
        if (now != TxtPath || !before || before == TxtPath || before->window() != this || settingState_) return;
        // A click brings the focus as it is pressed; it opens the picker as a click, once.
        if (QGuiApplication::mouseButtons() & Qt::LeftButton) return;
        ui::runGuarded([this] { TxtPath_GotFocus(); });
    });
}

// The controls go after this body, moving the focus and the selection as they go: nothing may
// reach this window's procedures then.
FrmCstmMenu::~FrmCstmMenu() {
    disconnect(focusWatch_);
    MenuItems->blockSignals(true);
}

void FrmCstmMenu::load() {
    SetTopMost(this, true);
    SetEditMode(false);
    RecoverCustomMenu(app_);
    const std::vector<MenuItem> stored = LoadCustomMenu(app_);
    for (std::size_t i = 0; i < stored.size() && i < Items.size(); ++i) {
        Items[i] = stored[i];
        MenuItems->addItem(qs(Items[i].Name));
    }
    if (MenuItems->count() > 0 && selectedRow() < 0) selectRow(0);
    MenuItems_Click();
}

void FrmCstmMenu::SwapItems(MenuItem& a, MenuItem& b) {
    MenuItem held = a;
    a = b;
    b = held;
}

void FrmCstmMenu::BtnAdd_Click() {
    // The store has no slot for a 101st entry.
    if (MenuItems->count() >= MenuCapacity) return;
    MenuItems->addItem(qs(NewItem));
    adding_ = true;
    // The new row's slot is empty, so the fields empty themselves.
    selectRow(MenuItems->count() - 1);
    SetEditMode(true);
    TxtName->setFocus();
    MenuItems_Click();
    SetEditMode(true);
}

void FrmCstmMenu::BtnAddEdit_Click() {
    const int k = selectedRow();
    if (k >= 0) {
        MenuItems->item(k)->setText(TxtName->text());
        Items[k] = MenuItem{ss(TxtName->text()), ss(TxtPath->text()), ss(TxtArg->text())};
    }
    adding_ = false;
    clearFields();
    SetEditMode(false);
    backToTheList();
}

void FrmCstmMenu::BtnCancelEdit_Click() {
    const int k = selectedRow();
    if (adding_ && k >= 0) {
        selectRow(-1);
        delete MenuItems->takeItem(k);
    }
    adding_ = false;
    clearFields();
    SetEditMode(false);
    backToTheList();
}

void FrmCstmMenu::BtnDlg_Click() {
    const std::optional<std::string> chosen =
        app_.dialogs->openFile(this, FilePickerSpec{{{"Executable files (*.exe)", "*.EXE"}, {"Any file...", "*.*"}},
                                                    app_.programFolder,
                                                    "Select the program of the entry..."});
    // A path the settings file could not give back whole is not taken.
    if (!chosen || chosen->size() > static_cast<std::size_t>(StoredBytes)) return;
    TxtPath->setText(qs(*chosen));
    ui::setPlainToolTip(TxtPath, *chosen);
    TxtArg->setFocus();
}

void FrmCstmMenu::BtnEdit_Click() {
    const int k = selectedRow();
    if (k < 0) return;
    SetEditMode(true);
    TxtName->setText(qs(Items[k].Name));
    TxtPath->setText(qs(Items[k].Path));
    TxtArg->setText(qs(Items[k].Arg));
    TxtName->setFocus();
}

void FrmCstmMenu::BtnRemove_Click() {
    const int k = selectedRow();
    if (k < 0) return;
    const int n = MenuItems->count();
    if (app_.dialogs->askYesNo(this, Caption + " - Delete Item...",
                               "Are you sure you want to remove the current entry?", BoxIcon::Exclamation)) {
        for (int i = k; i <= n - 2; ++i) {
            Items[i] = Items[i + 1];
            MenuItems->item(i)->setText(qs(Items[i].Name));
        }
        Items[n - 1] = MenuItem{};
        // The list would move the selection to a neighbour of a removed selected row.
        if (k == n - 1) selectRow(-1);
        delete MenuItems->takeItem(n - 1);
    }
    MenuItems_Click();
}

void FrmCstmMenu::BtnSave_Click() {
    const std::vector<MenuItem> items(Items.begin(), Items.begin() + MenuItems->count());
    SaveCustomMenu(app_, items);
    ShowInfo(app_, "Vesk needs to be restarted to see the changes in the custom menu.");
    unload();
}

void FrmCstmMenu::BtnSort_Click(int index) {
    const int k = selectedRow();
    const int j = index == 0 ? k - 1 : k + 1;
    if (k < 0 || j < 0 || j >= MenuItems->count()) return;
    SwapItems(Items[k], Items[j]);
    MenuItems->item(k)->setText(qs(Items[k].Name));
    MenuItems->item(j)->setText(qs(Items[j].Name));
    selectRow(j);
}

void FrmCstmMenu::SetEditMode(bool editing) {
    settingState_ = true;
    using Controls = std::initializer_list<QWidget*>;
    for (QWidget* control :
         Controls{Label1, Label2, Label3, TxtName, TxtPath, BtnDlg, BtnCancelEdit, BtnAddEdit, TxtArg})
        control->setEnabled(editing);
    for (QWidget* control : Controls{BtnSave, BtnAdd, BtnEdit, BtnRemove, BtnSort[0], BtnSort[1], MenuItems})
        control->setEnabled(!editing);
    settingState_ = false;
}

void FrmCstmMenu::MenuItems_Click() {
    const int n = MenuItems->count();
    const int k = selectedRow();
    BtnSort[0]->setEnabled(n >= 2 && k != 0);
    BtnSort[1]->setEnabled(n >= 2 && k != n - 1);
    const bool browsing = !TxtName->isEnabled();
    BtnRemove->setEnabled(browsing);
    BtnEdit->setEnabled(browsing);
    BtnAdd->setEnabled(browsing && n < MenuCapacity);
    if (k > -1 && n > 0) {
        TxtName->setText(qs(Items[k].Name));
        TxtArg->setText(qs(Items[k].Arg));
        TxtPath->setText(qs(Items[k].Path));
    }
}

void FrmCstmMenu::MenuItems_DblClick() { BtnEdit_Click(); }

void FrmCstmMenu::MenuItems_Scroll() { MenuItems_Click(); }

void FrmCstmMenu::TxtPath_Click() { BtnDlg_Click(); }

void FrmCstmMenu::TxtPath_GotFocus() { BtnDlg_Click(); }

int FrmCstmMenu::selectedRow() const {
    const QList<QListWidgetItem*> selected = MenuItems->selectedItems();
    return selected.isEmpty() ? -1 : MenuItems->row(selected.first());
}

void FrmCstmMenu::selectRow(int row) { MenuItems->setCurrentRow(row); }

void FrmCstmMenu::backToTheList() {
    MenuItems_Click();
    // The controls that had the focus are disabled now; it goes where browsing starts, so that
    // Enter saves rather than pressing whatever button the focus happened to land on.
    MenuItems->setFocus();
}

void FrmCstmMenu::clearFields() {
    for (QLineEdit* field : {TxtName, TxtPath, TxtArg}) field->clear();
}
