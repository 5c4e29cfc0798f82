// The one trap of the routines that report their own errors.
#include "core/base/MyErrHandler.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

bool Has(const ShownBox& box, const std::string& text) { return box.text.find(text) != std::string::npos; }

class Stop : public AppError {
public:
    Stop() : AppError(28, "No space left on device") {}
};

} // namespace

TEST(Trapped, GivesTheBodysResultOrTheFailureValueOfItsShape)
{
    ScriptedPrompter prompter;
    EXPECT_TRUE(Trapped(prompter, "M.Ran", [] {}));
    EXPECT_FALSE(Trapped(prompter, "M.Failed", [] { throw AppError(5, "Invalid procedure call"); }));
    EXPECT_EQ(Trapped(prompter, "M.Text", [] { return std::string("kept"); }), "kept");
    EXPECT_EQ(Trapped(prompter, "M.Text", []() -> std::string { throw AppError(5, "x"); }), "");
    EXPECT_EQ(Trapped(prompter, "M.Rows", []() -> std::optional<int> { throw AppError(5, "x"); }), std::nullopt);
    EXPECT_FALSE(Trapped(prompter, "M.Bool", []() -> bool { throw std::runtime_error("x"); }));
    ASSERT_EQ(prompter.ErrorReports(), 4);
    EXPECT_TRUE(
        Has(prompter.boxes[0], "Error In:   M.Failed\r\n\r\nError Code: 5\r\nError Desc: Invalid procedure call"));
}

// A routine's values and extra information are reported as they stand when
// it fails: a step name set just before is the one shown.
TEST(Trapped, ReportsTheValuesAsTheyStandAtTheFailure)
{
    ScriptedPrompter prompter;
    std::string step = "first";
    const std::string path = "/lib";
    Trapped(
        prompter, "M.Create(sLibPath)",
        [&] {
            step = "The file blank-lib.mde is missing !";
            throw AppError(53, "File not found");
        },
        path, step);
    ASSERT_EQ(prompter.ErrorReports(), 1);
    EXPECT_TRUE(Has(prompter.Last(), " sLibPath='/lib'\r\n"));
    EXPECT_TRUE(Has(prompter.Last(), "Extra Info: \r\n The file blank-lib.mde is missing !"));
}

// What a failure holds (a lock, work under way) ends before the box is up.
TEST(Trapped, ReleasesBeforeTheReportIsShown)
{
    ScriptedPrompter prompter;
    std::vector<std::string> order;
    bool held = true;
    const bool ran = Trapped(
        prompter, "M.Walk", [&] { throw AppError(91, "x"); }, BeforeReport{[&] {
            held = false;
            order.push_back("released with " + std::to_string(prompter.boxes.size()) + " boxes up");
        }});
    EXPECT_FALSE(ran);
    EXPECT_FALSE(held);
    EXPECT_EQ(order, std::vector<std::string>{"released with 0 boxes up"});
    EXPECT_EQ(prompter.ErrorReports(), 1);

    // Nothing to release when the body runs to its end.
    held = true;
    EXPECT_TRUE(Trapped(
        prompter, "M.Walk", [] {}, BeforeReport{[&] { held = false; }}));
    EXPECT_TRUE(held);
}

// An error that is not the routine's own goes on, unreported and untouched,
// to the trap further out.
TEST(Trapped, PassesOnTheNamedErrorUnreported)
{
    ScriptedPrompter prompter;
    bool released = false;
    EXPECT_THROW(Trapped<Stop>(
                     prompter, "M.Drawer", [] { throw Stop(); }, BeforeReport{[&] { released = true; }}),
                 Stop);
    EXPECT_FALSE(released);
    EXPECT_TRUE(prompter.boxes.empty());
    // Any other is the routine's.
    EXPECT_FALSE(Trapped<Stop>(prompter, "M.Drawer", [] { throw AppError(91, "x"); }));
    EXPECT_EQ(prompter.ErrorReports(), 1);
}
