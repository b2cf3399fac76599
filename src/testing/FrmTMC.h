#pragma once
#include <array>
#include <string>

#include "ui/Form.h"

struct App;
struct Shared;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

// "Test Map Configuration. (BETA)": lays out a test game for one map, a row for each of its
// player slots (who plays it, race, team, colour, handicap, the computer's AI) and the game's
// speed and switches. Save builds the test settings record and ends the run; the record is
// stored nowhere.
//
// The lists hold the state. A list's procedure runs on every change of its selection, whether the
// user or a rule made it, also on a disabled list; so rules nest: picking "User" in one row makes
// the other user a computer, whose own rule then runs.
class FrmTMC : public Form {
public:
    static constexpr int Rows = 12;
    template <class Control>
    using Row = std::array<Control*, Rows>;

    // The owner is the window it opens centred on; the program shows it without one.
    FrmTMC(App& app, Shared& shared, QWidget* owner = nullptr);
    ~FrmTMC() override;

    // Reads the map's player count (its warning comes before the window shows; a map that
    // cannot be read fails here) and sets up a row for each player, the first as the user.
    void load() override;

    // Event procedures, public so tests can run them as a click would; `index` is the row.
    void Control_Click(int index);
    void Team_Click(int index);
    void Color_Click(int index);
    void AI_Click(int index);
    void Sett_Click(int index);
    void GSpeed_Change();
    // keyCode is the virtual key code (38 the up arrow, 40 the down arrow).
    void GSpeed_KeyDown(int keyCode);
    void GSScroll_Change();
    void Banner_Click();
    // Ends the process.
    void BtnSave_Click();

    // Shows or hides the ten controls of a row.
    void GetSlots(int index, bool visible);
    // The map's player count, 1 to 12; a count out of that range is warned of and taken as 12.
    int GetMaxPlayers(const std::string& mapFile);

    // The test settings record as Save builds it from the controls.
    std::string SettingsRecord() const;
    // The game speed, 1 to 25, as the scroll bar holds it: its value is 26 - speed, so that its
    // top end, its upper arrow, the Up key and the wheel raise the speed.
    int speed() const;

    QGroupBox* Frame1;
    QLabel* Label1;
    QLineEdit* GSpeed;
    QScrollBar* GSScroll;
    QCheckBox* FOW;
    QCheckBox* VDC;
    QGroupBox* Frame2;
    QLineEdit* MapName;
    QGroupBox* Frame3;
    std::array<QLabel*, 9> ColumnHeads;  // Label2 to Label10
    Row<QLabel> Slot;
    Row<QComboBox> Control;
    Row<QComboBox> Race;
    Row<QComboBox> Team;
    Row<QComboBox> Color;
    Row<QComboBox> Handicap;
    Row<QComboBox> AI;
    Row<QComboBox> AIDif;
    Row<QPushButton> Sett;
    Row<QLabel> AIName;
    QPushButton* BtnSave;
    QLabel* Banner;
    QLabel* Label11;

    int MaxPlayers = 0;
    // Each row's colour as its colour rule last saw it.
    std::array<int, Rows> PrevColor{};
    // A swap under way: the colour rule of the row given a colour only records it.
    bool ColorBusy = false;

private:
    void setSpeed(int speed);
    // Race, colour, handicap and the AI lists on or off, the AI put back to "Standard": what the
    // control and team rules do to a row alike.
    void setPlaying(int index, bool playing);

    App& app_;
    Shared& shared_;
};
