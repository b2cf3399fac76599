#include <gtest/gtest.h>

#include <QPushButton>
#include <functional>
#include <optional>
#include <stdexcept>

#include "platform/RuntimeFailure.h"
#include "ui/Application.h"
#include "ui/Guard.h"

namespace {

struct Reported {
    int number;
    std::string source;
    std::string description;
};

class Guard : public ::testing::Test {
protected:
    void TearDown() override { ui::setFailureHandler(nullptr); }
};

TEST_F(Guard, SlotFailuresReachTheHandlerAsRuntimeFailures) {
    struct Case {
        const char* name;
        std::function<void()> body;
        std::optional<Reported> expected;
    };
    const Case cases[] = {
        {"no failure", [] {}, std::nullopt},
        {"runtime failure keeps its fields", [] { throw RuntimeFailure(76, "Path not found", "FrmSetPath"); },
         Reported{76, "FrmSetPath", "Path not found"}},
        {"standard exception", [] { throw std::runtime_error("disk on fire"); }, Reported{5, "Corvane", "disk on fire"}},
        {"anything else", [] { throw 42; }, Reported{5, "Corvane", "Unknown exception"}},
    };
    ui::ensureApplication();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Reported> got;
        ui::setFailureHandler([&](const RuntimeFailure& f) { got.push_back({f.number, f.source, f.description}); });
        QPushButton button;
        QObject::connect(&button, &QPushButton::clicked, ui::guarded(c.body));
        button.click();
        if (!c.expected) {
            EXPECT_TRUE(got.empty());
            continue;
        }
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].number, c.expected->number);
        EXPECT_EQ(got[0].source, c.expected->source);
        EXPECT_EQ(got[0].description, c.expected->description);
    }
}

TEST_F(Guard, WithoutAWorkingHandlerTheFailureGoesToStderr) {
    struct Case {
        const char* name;
        ui::FailureHandler handler;
    };
    const Case cases[] = {
        {"no handler", nullptr},
        {"handler that throws", [](const RuntimeFailure&) { throw std::logic_error("report broke"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui::setFailureHandler(c.handler);
        testing::internal::CaptureStderr();
        EXPECT_NO_THROW(ui::runGuarded([] { throw RuntimeFailure(53, "File not found"); }));
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("53"), std::string::npos) << err;
        EXPECT_NE(err.find("File not found"), std::string::npos) << err;
    }
}

}  // namespace
