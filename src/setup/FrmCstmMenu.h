#pragma once
#include <array>

#include "setup/CustomMenu.h"
#include "ui/Form.h"

struct App;
struct Shared;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Vesk Application Quick Starter...": edits the custom tool menu (add, edit, remove, reorder)
// and saves it to "config.cfg" and "CST_Menu.lua".
//
// Two states, held by the controls' enabled flags alone: browsing (the list and its buttons) and
// editing (the fields of one entry). Selecting a row, by the user or from code, runs
// MenuItems_Click, which refreshes the buttons and shows the selected entry.
class FrmCstmMenu : public Form {
public:
    // The window reads nothing of the run state.
    FrmCstmMenu(App& app, Shared& shared);
    ~FrmCstmMenu() override;

    // Makes the window topmost and loads the stored menu; a store that cannot be read fails here,
    // so the window is never shown.
    void load() override;

    // Event procedures, public so tests can run them as a click would.
    void SwapItems(MenuItem& a, MenuItem& b);
    void BtnAdd_Click();
    void BtnAddEdit_Click();
    void BtnCancelEdit_Click();
    void BtnDlg_Click();
    void BtnEdit_Click();
    void BtnRemove_Click();
    void BtnSave_Click();
    void BtnSort_Click(int index);
    void SetEditMode(bool editing);
    void MenuItems_Click();
    void MenuItems_DblClick();
    void MenuItems_Scroll();
    void TxtPath_Click();
    void TxtPath_GotFocus();

    QListWidget* MenuItems;
    QPushButton* BtnAdd;
    QPushButton* BtnRemove;
    QPushButton* BtnEdit;
    QWidget* Line1;
    QPushButton* BtnSort[2];
    QGroupBox* Frame1;
    QLabel* Label1;
    QLineEdit* TxtName;
    QLabel* Label2;
    QLineEdit* TxtPath;
    QPushButton* BtnDlg;
    QPushButton* BtnCancelEdit;
    QPushButton* BtnAddEdit;
    QPushButton* BtnSave;
    QLabel* Label3;
    QLineEdit* TxtArg;

    // Slot i holds the entry of list row i; slots past the entries hold empty texts.
    std::array<MenuItem, MenuCapacity> Items;

private:
    // The selected row, -1 when none is.
    int selectedRow() const;
    // Selects a row (-1: none) as a user would, so MenuItems_Click runs on a change.
    void selectRow(int row);
    void clearFields();
    // The end of an edit: the refresh, and the focus in the list.
    void backToTheList();

    App& app_;
    // The row being edited is the one Add appended, not a stored entry (whatever its text).
    bool adding_ = false;
    // Focus moved by the enabling and disabling of controls is not the user's: it opens no picker.
    bool settingState_ = false;
    QMetaObject::Connection focusWatch_;
};
