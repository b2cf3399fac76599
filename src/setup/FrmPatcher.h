#pragma once
#include <string>

#include "ui/Form.h"

struct App;
struct Shared;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTextEdit;
class QFrame;

// "Warcraft III Version Patcher": downloads one of ten patch archives into "Patches", unpacks it
// with 7-Zip into "Temp" and installs it over the game folder.
class FrmPatcher : public Form {
public:
    FrmPatcher(App& app, Shared& shared, QWidget* owner = nullptr);

    void load() override;

    // Event procedures, public so tests can run them as a click would.
    void BtnApply_Click();
    void VersionList_Click();
    int DetectInstalledVersion();
    std::string ExtractAndInstallPatch(const std::string& archivePath, const std::string& wc3Path);

    // The list row for an installed file version: its second dot-separated part, compared as text.
    // Fewer than two parts raise "Subscript out of range".
    static int RowOfVersion(const std::string& fileVersion);

    QLabel* Label1;
    QListWidget* VersionList;
    QGroupBox* FrmInfo;
    QTextEdit* TxtInfo;
    QLabel* LblStatus;
    QPushButton* BtnApply;
    QLabel* LblVersion;
    QLabel* LblErrStatus;
    QLabel* Image1;
    QFrame* Line1;

    std::string PatchArchives[10];

private:
    // "<program folder>/Patches" as it is spelled on disk.
    std::string patchesFolder() const;
    // The archive of the selected row; none selected raises "Subscript out of range".
    std::string selectedArchive() const;

    App& app_;
    Shared& shared_;
};
