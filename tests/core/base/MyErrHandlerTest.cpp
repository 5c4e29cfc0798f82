#include "core/base/MyErrHandler.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace {
std::string Report(const std::string& proc, const ReportValue& vars = ReportValue(), const std::string& extra = "")
{
    return BuildErrorReport({3704, "Closed"}, proc, vars, extra);
}
} // namespace

TEST(ErrorReport, LayoutToTheCharacter)
{
    EXPECT_EQ(Report("Database.TableExe(sSQL)"), "Error In:   Database.TableExe\r\n\r\n"
                                                 "Error Code: 3704\r\n"
                                                 "Error Desc: Closed\r\n\r\n"
                                                 "Variables:  \r\n sSQL=\r\n\r\n"
                                                 "Extra Info: \r\n ");
}

TEST(ErrorReport, VariableBlocks)
{
    // No parameters and no values: an empty line after the single blank.
    EXPECT_NE(Report("LibAdminMain.cmdCompact_Click").find("Variables:  \r\n \r\n\r\nExtra"), std::string::npos);
    EXPECT_EQ(FormatVariables("sLibPath", std::string("/lib")), "sLibPath='/lib'");
    EXPECT_EQ(FormatVariables("sOrifile,sTarget,sTargetName", std::vector<ReportValue>{"/a", "/b", "c"}),
              "sOrifile='/a'\r\nsTarget='/b'\r\nsTargetName='c'");
    // More values than names: the extra line is the bare value.
    EXPECT_EQ(FormatVariables("sName", std::vector<ReportValue>{"x", 5}), "sName='x'\r\n5");
    // Extra names beyond the values are ignored.
    EXPECT_EQ(FormatVariables("a,b,c", 1), "a=1");
    // Only the first line is indented.
    EXPECT_NE(Report("P(a,b)", std::vector<ReportValue>{1, 2}).find("\r\n a=1\r\nb=2\r\n"), std::string::npos);
}

TEST(ErrorReport, EmptyNameAndNoCurrentError)
{
    const std::string text = BuildErrorReport({}, "", ReportValue(), "more");
    EXPECT_EQ(text.rfind("Error In:   \r\n\r\nError Code: 0\r\nError Desc: \r\n\r\n", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 19), "Extra Info: \r\n more");

    ScriptedPrompter prompter;
    ReportError(prompter, "Outside.Catch");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_NE(prompter.Last().text.find("Error Code: 0\r\n"), std::string::npos);
}

TEST(ErrorReport, SplitProcName)
{
    EXPECT_EQ(SplitProcName("Libbackup.CopyImage(sOrifile,sTarget,sTargetName)"),
              std::make_pair(std::string("Libbackup.CopyImage"), std::string("sOrifile,sTarget,sTargetName")));
    EXPECT_EQ(SplitProcName("A.B"), std::make_pair(std::string("A.B"), std::string()));
    EXPECT_EQ(SplitProcName("A.B()"), std::make_pair(std::string("A.B"), std::string()));
    EXPECT_EQ(SplitProcName("A.B("), std::make_pair(std::string("A.B"), std::string()));
    // The list ends at a second "(" and loses its last character.
    EXPECT_EQ(SplitProcName("A.B(x(y)").second, "");
    EXPECT_EQ(SplitProcName("A.B(xy(z)").second, "x");
}

TEST(ErrorReport, FormatValueKinds)
{
    EXPECT_EQ(FormatValue(std::vector<ReportValue>{1}), "{Array}");
    EXPECT_EQ(FormatValue(ReportValue::Empty()), "{Empty}");
    EXPECT_EQ(FormatValue(ReportValue::Null()), "{Null}");
    EXPECT_EQ(FormatValue(-42), "-42");
    EXPECT_EQ(FormatValue(1.5), "1.5");
    EXPECT_EQ(FormatValue(true), "True");
    EXPECT_EQ(FormatValue(false), "False");
    EXPECT_EQ(FormatValue(ReportValue::Date("2026-03-05 14:07:09")), "'2026-03-05 14:07:09'");
    EXPECT_EQ(FormatValue("it's"), "'it's'");
    EXPECT_EQ(FormatValue(ReportValue::Object("Connection")), "{Connection}");
    EXPECT_EQ(FormatValue(ReportValue()), "");
    EXPECT_EQ(FormatValue(ReportValue::Other()), "{?}");
}

TEST(ErrorReport, ShownAsExclamationBoxWithCurrentError)
{
    ScriptedPrompter prompter;
    try {
        throw AppError(53, "File not found");
    } catch (...) {
        ReportError(prompter, "Library.CreateLibNow(sLibPath)", std::string("/x"), "detail");
    }
    ASSERT_EQ(prompter.boxes.size(), 1u);
    const ShownBox& box = prompter.Last();
    EXPECT_EQ(box.title, "Unexpected Error");
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(box.buttons, MsgButtons::Ok);
    EXPECT_EQ(box.text, "Error In:   Library.CreateLibNow\r\n\r\nError Code: 53\r\nError Desc: File not found\r\n\r\n"
                        "Variables:  \r\n sLibPath='/x'\r\n\r\nExtra Info: \r\n detail");
}
