#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <optional>

#include "common/Text.h"
#include "diagnostics/FrmOssik.h"
#include "platform/Paths.h"
#include "platform/RuntimeFailure.h"
#include "support/TestApp.h"
#include "support/core/StandIns.h"
#include "ui/Guard.h"
#include "ui/Text.h"

namespace fs = std::filesystem;

namespace {

const std::string AllClear = "Yay!!! no errors found.";
const QColor Lit(10, 36, 106);

// A pack root (of the given name) with the compiler installed, a script, and the window over them.
struct Ossik {
    TestApp t;
    std::string pack;
    std::string script;
    std::unique_ptr<FrmOssik> w;

    Ossik(const std::string& packName, const std::string& scriptPath,
          const std::string& scriptText = std::string(1024, 'x')) {
        ui::setFailureHandler([](const RuntimeFailure& f) { ADD_FAILURE() << f.number << " " << f.description; });
        pack = t.root.mkdir(packName);
        writeCompilerFolder(pack);
        script = t.root.write(scriptPath, scriptText);
        t.shared.PackFolder = pack;
        t.shared.TargetFile = fso::GetFile(script);
        w = std::make_unique<FrmOssik>(t.app, t.shared);
    }
    std::string log() const { return pack + "/logs/ossik.txt"; }
    // A stand-in "java" first on PATH; its record is <root>/java.log.
    void standIn(int exitCode, const std::optional<std::string>& compilerLog, const std::string& beforeExit = "") {
        writeCompilerStandIn(t.root.file("bin/java"), t.root.file("java.log"), exitCode, compilerLog, beforeExit);
    }
    std::vector<RecordedRun> runs() const { return readRecordedRuns(t.root.file("java.log")); }
    std::string status() const { return ss(w->LblStatus->text()); }
    bool consoleShown() const { return w->TxtConsole->isVisibleTo(w.get()); }
    std::vector<int> litBars() const {
        std::vector<int> lit;
        for (int i = 0; i < 10; ++i)
            if (w->Bar[i]->palette().color(QPalette::Window) == Lit) lit.push_back(i);
        return lit;
    }
};

std::vector<std::string> compilerArguments(const std::string& pack, const std::string& folder,
                                           const std::string& archive, const std::string& script) {
    const std::string compiler = pack + "/" + folder;
    return {"-jar", archive, "-log=" + pack + "/logs/ossik.txt", "-result=" + script, compiler + "/common.j",
            compiler + "/Blizzard.j", script};
}

struct CommandCase {
    const char* what;
    const char* pack;
    const char* script;
    bool installedInOtherCase;
};

// Every path reaches the compiler whole, and the compiler runs in its own folder.
TEST(FrmOssik, CompilerGetsEveryPathWholeInItsOwnFolder) {
    const CommandCase cases[] = {
        {"plain", "pack", "maps/war3map.j", false},  // named "war3map.j - 1024 Bytes."
        {"pack root with blanks", "Vesk Tool Pack", "maps/war3map.j", false},
        {"script with blanks", "pack", "my maps/Twisted Meadows.j", false},
        {"script with a quote", "pack", "maps/say \"hi\".j", false},
        {"compiler in other letter case", "pack", "maps/war3map.j", true},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.what);
        Ossik o(c.pack, c.script);
        std::string folder = "Scrivel/Tavi";
        std::string archive = "ossikc-jar-with-dependencies.jar";
        if (c.installedInOtherCase) {
            fs::rename(o.pack + "/Scrivel/Tavi/" + archive, o.pack + "/Scrivel/Tavi/OssikC-Jar-With-Dependencies.JAR");
            fs::rename(o.pack + "/Scrivel/Tavi/common.j", o.pack + "/Scrivel/Tavi/Common.J");
            fs::rename(o.pack + "/Scrivel/Tavi", o.pack + "/Scrivel/TAVI");
            fs::rename(o.pack + "/Scrivel", o.pack + "/scrivel");
            folder = "scrivel/TAVI";
            archive = "OssikC-Jar-With-Dependencies.JAR";
        }
        o.standIn(0, "log\n");
        o.w->load();
        // The log lands where the window reads it, in the "logs" folder the window made.
        EXPECT_TRUE(o.consoleShown());
        const auto runs = o.runs();
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].cwd, o.pack + "/" + folder);
        std::vector<std::string> expected = compilerArguments(o.pack, folder, archive, o.script);
        if (c.installedInOtherCase) expected[4] = o.pack + "/" + folder + "/Common.J";
        EXPECT_EQ(runs[0].args, expected);
        EXPECT_EQ(ss(o.w->TxtMapname->text()), paths::fileNameOf(o.script) + " - 1024 Bytes.");
        EXPECT_EQ(ss(o.w->TxtMapPath->text()), o.script);
        if (std::string(c.what) == "plain") {
            // Paths without blanks or quotes keep the text they always had.
            EXPECT_EQ(o.w->CommandText, "-jar ossikc-jar-with-dependencies.jar -log=" + o.pack +
                                            "/logs/ossik.txt -result=\"" + o.script + "\" " + o.pack +
                                            "/Scrivel/Tavi/common.j " + o.pack + "/Scrivel/Tavi/Blizzard.j \"" +
                                            o.script + "\"");
        }
    }
}

struct OutcomeCase {
    const char* what;
    std::optional<std::string> compilerLog;
    int exitCode;
    std::string status;  // the status line; the console shows the log when there is one
};

// Only a log shows the console; without one, only exit code 0 is the all-clear.
TEST(FrmOssik, ShowsTheLogOrTheAllClearOrTheFailure) {
    const std::string log = "war3map.j(12): Undefined function Foo\r\nwar3map.j(40): Syntax error\r\n";
    const OutcomeCase cases[] = {
        {"log, exit 0", log, 0, "Checking..."},
        {"log, exit 3", log, 3, "Checking..."},
        {"empty log", "", 0, "Checking..."},
        {"no log, exit 0", std::nullopt, 0, AllClear},
        {"no log, exit 3", std::nullopt, 3, "The compiler failed (exit code 3) and wrote no log."},
    };
    for (const OutcomeCase& c : cases) {
        SCOPED_TRACE(c.what);
        Ossik o("pack", "maps/war3map.j");
        // This run's log is the only one shown: an old one, read-only too, is gone before the start.
        writeFile(o.log(), "an old log\r\n");
        fs::permissions(o.log(), fs::perms::owner_read);
        o.standIn(c.exitCode, c.compilerLog);
        o.w->load();
        EXPECT_EQ(o.status(), c.status);
        EXPECT_EQ(o.consoleShown(), c.compilerLog.has_value());
        if (!c.compilerLog) {
            EXPECT_FALSE(fs::exists(o.log()));
            continue;
        }
        EXPECT_EQ(ss(o.w->TxtConsole->toPlainText()), replaceAll(*c.compilerLog, "\r\n", "\n"));
        // The console fills the picture box inside its two-pixel border and covers the status
        // line and the busy bar, which stay beneath it.
        EXPECT_EQ(o.w->TxtConsole->geometry(), QRect(0, 0, 6255 / 15 - 4, 4455 / 15 - 4));
        const QWidget* atStatus = o.w->Picture1->client()->childAt(o.w->LblStatus->geometry().center());
        EXPECT_TRUE(atStatus == o.w->TxtConsole || o.w->TxtConsole->isAncestorOf(atStatus));
    }
}

// Whatever stands at the log's name before the run goes, so the compiler writes a file of its
// own there; a folder there is a failure. After the run only a file is the log.
TEST(FrmOssik, OnlyAFileAtTheLogsNameIsTheLog) {
    struct Case {
        const char *before, *compilerAfter;  // shell texts: before the load, and the compiler's after its log
        bool console, fails;
    } cases[] = {
        {"mkfifo \"$LOG\"", "", true, false},
        {"ln -s \"$ELSEWHERE\" \"$LOG\"", "", true, false},
        {"mkdir \"$LOG\"", "", false, true},
        {":", "rm \"$LOG\"; ln -s \"$SCRIPT\" \"$LOG\"\n", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.before) + c.compilerAfter);
        Ossik o("pack", "maps/war3map.j");
        setenv("LOG", o.log().c_str(), 1);
        setenv("ELSEWHERE", o.t.root.file("elsewhere").c_str(), 1);
        setenv("SCRIPT", o.script.c_str(), 1);
        fs::create_directories(o.pack + "/logs");
        ASSERT_EQ(std::system(c.before), 0);
        o.standIn(0, "log\n", c.compilerAfter);
        try {
            o.w->load();
            EXPECT_FALSE(c.fails);
        } catch (const RuntimeFailure& f) {
            EXPECT_TRUE(c.fails && f.number == 75 && f.description.find(o.log()) != std::string::npos) << f.description;
            EXPECT_TRUE(o.runs().empty());
        }
        EXPECT_EQ(o.consoleShown(), c.console);
        EXPECT_FALSE(fs::exists(o.t.root.file("elsewhere")));
    }
}

// The bar runs while the window is shown, one shape lit at a time; Esc and the close box close it.
TEST(FrmOssik, ShownWindowTicksAndCloses) {
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Esc");
        Ossik o("pack", "maps/war3map.j");
        o.standIn(0, std::nullopt);
        o.w->load();
        EXPECT_EQ(o.w->Timer1->interval(), 200);
        EXPECT_EQ(o.litBars(), std::vector<int>{});
        o.w->Timer1_Timer();
        EXPECT_EQ(o.litBars(), std::vector<int>{1});
        for (int tick = 2; tick <= 10; ++tick) o.w->Timer1_Timer();
        EXPECT_EQ(o.litBars(), std::vector<int>{0});

        o.w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(o.w.get()));
        EXPECT_TRUE(o.w->Timer1->isActive());
        if (closeBox) o.w->close();
        else QTest::keyClick(o.w.get(), Qt::Key_Escape);
        EXPECT_TRUE(o.w->isUnloaded());
        EXPECT_FALSE(o.w->isVisible());
    }
}

// The real runtime over an archive built here: it gets the arguments the stand-in got, and
// without its archive it ends with an error and no log, which must not read as the all-clear.
TEST(FrmOssik, RealJavaRunsTheArchiveOrFailsWithoutIt) {
    TempDir build;
    build.write("OssikStub.java",
                "import java.nio.file.*;\n"
                "public class OssikStub {\n"
                "  public static void main(String[] args) throws Exception {\n"
                "    String log = null;\n"
                "    for (String a : args) if (a.startsWith(\"-log=\")) log = a.substring(5);\n"
                "    String script = Files.readString(Paths.get(args[args.length - 1]));\n"
                "    if (script.contains(\"error\")) Files.writeString(Paths.get(log), String.join(\"\\n\", args));\n"
                "  }\n"
                "}\n");
    const std::string javac = "javac -d '" + build.file("classes") + "' '" + build.file("OssikStub.java") + "'";
    const std::string jar = "jar --create --file '" + build.file("stub.jar") + "' --main-class OssikStub -C '" +
                            build.file("classes") + "' .";
    ASSERT_EQ(std::system(javac.c_str()), 0);
    ASSERT_EQ(std::system(jar.c_str()), 0);
    const std::string stub = readFile(build.file("stub.jar"));

    struct JavaCase {
        const char* what;
        bool withArchive;
        const char* scriptText;
        std::string status;
    };
    const JavaCase cases[] = {
        {"errors", true, "an error here\n", "Checking..."},
        {"no errors", true, "all fine\n", AllClear},
        {"no archive", false, "all fine\n", "The compiler failed (exit code 1) and wrote no log."},
    };
    for (const JavaCase& c : cases) {
        SCOPED_TRACE(c.what);
        Ossik o("Vesk Tool Pack", "my maps/say \"hi\".j", c.scriptText);
        if (c.withArchive) writeFile(o.pack + "/Scrivel/Tavi/ossikc-jar-with-dependencies.jar", stub);
        else fs::remove(o.pack + "/Scrivel/Tavi/ossikc-jar-with-dependencies.jar");
        o.w->load();
        EXPECT_EQ(o.status(), c.status);
        EXPECT_EQ(o.consoleShown(), c.status == "Checking...");
        if (!o.consoleShown()) continue;
        // The archive's own arguments, those after "-jar" and the archive, one a line.
        std::vector<std::string> received =
            compilerArguments(o.pack, "Scrivel/Tavi", "ossikc-jar-with-dependencies.jar", o.script);
        received.erase(received.begin(), received.begin() + 2);
        EXPECT_EQ(ss(o.w->TxtConsole->toPlainText()), replaceAll(joinLines(received), "\r\n", "\n"));
    }
}

}  // namespace
