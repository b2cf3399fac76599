#include "diagnostics/FrmOssik.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <iterator>

#include "common/App.h"
#include "common/Shared.h"
#include "common/Standard.h"
#include "platform/CommandLine.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/RuntimeFailure.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace {

const std::string Caption = "Ossik Compiler - Developed for Ossik project - compiler by the Ossik authors";
const std::string Archive = "ossikc-jar-with-dependencies.jar";

// The caption colours of the classic desktop scheme, in which the busy bar runs; Qt has no
// roles for them.
const QColor ActiveCaption(10, 36, 106);
const QColor InactiveCaption(128, 128, 128);

}  // namespace

FrmOssik::FrmOssik(App& app, Shared& shared) : app_(app), shared_(shared) {
    setupWindow(Caption, 6495, 6450);

    // Made in tab order, but for the console, which the keyboard never reaches, and the status
    // line: both lie in the picture box, where the console must cover the rest.
    Frame1 = ui::makeFrame(this, "Frame1", "Map Info:", 120, 120, 6255, 1215);
    Label1 = ui::makeLabel(Frame1, "Label1", "Name:", 120, 360, 615, 255);
    TxtMapname = ui::makeTextBox(Frame1, "TxtMapname", "Text1", 720, 360, 5415, 285, true);
    Label2 = ui::makeLabel(Frame1, "Label2", "Path:", 120, 720, 615, 255);
    TxtMapPath = ui::makeTextBox(Frame1, "TxtMapPath", "Text1", 720, 720, 5415, 285, true);
    // The system's menu colour, which the classic scheme gives the button face.
    for (QLineEdit* box : {TxtMapname, TxtMapPath}) ui::setBoxBackground(box, palette().color(QPalette::Button));

    Picture1 = ui::makePicture(this, "Picture1", 120, 1440, 6255, 4455);
    QWidget* inside = Picture1->client();
    Shape1 = ui::makeShape(inside, "Shape1", true, 1800, 1920, 2415, 495);
    ui::setFillColour(Shape1, InactiveCaption);
    for (int i = 0; i < int(std::size(Bar)); ++i) {
        const std::string name = "Bar(" + std::to_string(i) + ")";
        Bar[i] = ui::makeShape(inside, name.c_str(), false, 1800 + 240 * i, 1920, 255, 495);
        ui::setFillColour(Bar[i], InactiveCaption);
    }
    LblStatus = ui::makeLabel(inside, "LblStatus", "Checking...", 0, 1680, 6135, 255);
    LblStatus->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    // Both scroll bars, so a long line scrolls rather than wraps.
    TxtConsole = ui::makeMultiLineBox(inside, "TxtConsole", "Text1", 0, 0, 2295, 2055, true);
    TxtConsole->setFocusPolicy(Qt::ClickFocus);
    TxtConsole->setFont(ui::consoleFont(9.75));
    QPalette console = TxtConsole->palette();
    console.setColor(QPalette::Base, Qt::black);
    console.setColor(QPalette::Text, QColor(192, 192, 192));
    TxtConsole->setPalette(console);
    TxtConsole->hide();

    BtnClose = ui::makeButton(this, "BtnClose", "&Close", 5280, 6000, 1095, 375);
    setCancelButton(BtnClose);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(200);

    connect(Timer1, &QTimer::timeout, this, ui::guarded([this] { Timer1_Timer(); }));
    connect(BtnClose, &QPushButton::clicked, this, ui::guarded([this] { BtnClose_Click(); }));
    Timer1->start();
}

void FrmOssik::load() {
    const fso::File& script = shared_.TargetFile.value();
    // The compiler's files keep the letter case they were installed with.
    const std::string compilerFolder = paths::resolve(paths::join(shared_.PackFolder, "\\Scrivel\\Tavi"));
    const std::string log = paths::resolve(paths::join(shared_.PackFolder, "\\logs\\ossik.txt"));

    // A pack root or a script with blanks or quotes in its path must reach the compiler whole:
    // a "-log=" cut at a blank would have it write over another file. The script stands in
    // quotes in any case, as it always has.
    const std::string quotedScript = quoteWindowsArgument(script.Path(), true);
    CommandText = "-jar " + quoteWindowsArgument(paths::fileNameOf(paths::resolve(compilerFolder + "/" + Archive))) +
                  " -log=" + quoteWindowsArgument(log) + " -result=" + quotedScript + " " +
                  quoteWindowsArgument(paths::resolve(compilerFolder + "/common.j")) + " " +
                  quoteWindowsArgument(paths::resolve(compilerFolder + "/Blizzard.j")) + " " + quotedScript;

    TxtMapname->setText(qs(script.Name() + " - " + std::to_string(script.Size()) + " Bytes."));
    TxtMapPath->setText(qs(script.Path()));

    // The console fills the picture box inside its border, scroll bars in sight.
    TxtConsole->setGeometry(Picture1->client()->rect());

    // The compiler writes wherever the name leads: through a link, into a pipe nobody reads. So
    // whatever stands there goes, but a folder is nobody's log to delete.
    const fso::Entry before = fso::EntryAt(log);
    if (before == fso::Entry::Folder)
        throw RuntimeFailure(failure::PathFileAccessError, failure::textOf(failure::PathFileAccessError) + ": " +
                                                               log + " is a folder, where the log is to be written");
    if (before != fso::Entry::None) fso::DeleteFile(log);
    // The compiler writes its log into this folder but does not make it.
    const std::string logFolder = paths::parentOf(log);
    if (!fso::FolderExists(logFolder)) fso::CreateFolder(logFolder);

    const int exitCode = ExecuteFile(app_, "open", "java", CommandText, compilerFolder + "/", 1, true);

    // Only a file the compiler wrote is its log; a link it left there leads somewhere else.
    if (fso::EntryAt(log) == fso::Entry::RegularFile) {
        TxtConsole->setVisible(true);
        TxtConsole->setPlainText(qs(fso::ReadAll(log)));
    } else if (exitCode == 0) {
        LblStatus->setText(qs("Yay!!! no errors found."));
    } else {
        // A compiler that could not even start ("java" without its archive, say) writes no log
        // either: that is no all-clear.
        LblStatus->setText(qs("The compiler failed (exit code " + std::to_string(exitCode) + ") and wrote no log."));
    }
}

void FrmOssik::Timer1_Timer() {
    ui::setFillColour(Bar[BarIndex], InactiveCaption);
    BarIndex += 1;
    if (BarIndex == int(std::size(Bar))) BarIndex = 0;
    ui::setFillColour(Bar[BarIndex], ActiveCaption);
}

void FrmOssik::BtnClose_Click() { unload(); }

void FrmOssik::closeEvent(QCloseEvent* event) {
    ui::runGuarded([this] { BtnClose_Click(); });
    event->accept();
}
