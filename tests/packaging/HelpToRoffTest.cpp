// Manual pages are written from the programs' --help texts: what each kind of help line becomes.

#include "HelpToRoff.h"

#include <gtest/gtest.h>

namespace {

HelpToRoff::Page PageOf(const std::string& name) {
    HelpToRoff::Page page;
    page.name = name;
    page.section = "1";
    page.summary = "sort a log data file";
    page.version = "kilnwatch 1.50";
    page.date = "2026-12-07";
    page.manual = "kilnwatch manual";
    return page;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

} // namespace

TEST(ManPageFromHelp, TheUsageLineBecomesTheSynopsisOnceWithItsContinuation) {
    const std::string page =
        HelpToRoff::Convert(PageOf("kilnmon"), "Usage: kilnmon --farm N [--reconnect S]\r\n"
                                               "       [--health MINUTES]\r\n"
                                               "A monitor without a window.\r\n");
    EXPECT_NE(page.find(".TH KILNMON \"1\" \"2026\\-12\\-07\" \"kilnwatch 1.50\""),
              std::string::npos);
    EXPECT_NE(page.find(".SH SYNOPSIS\n\\fBkilnmon\\fR \\-\\-farm N [\\-\\-reconnect S] "
                        "[\\-\\-health MINUTES]\n.SH DESCRIPTION\nA monitor without a window.\n"),
              std::string::npos)
        << page;
    EXPECT_EQ(Count(page, "MINUTES"), 1u);

    // The log tools shout their usage line.
    const std::string tool =
        HelpToRoff::Convert(PageOf("logsort"), "USAGE:  logsort <input_file> <output_file>\n"
                                               "Sorts the records.\n");
    EXPECT_NE(tool.find("\\fBlogsort\\fR <input_file> <output_file>\n"), std::string::npos);
    EXPECT_EQ(Count(tool, "USAGE"), 0u) << tool;
}

TEST(ManPageFromHelp, OptionsBecomeTaggedParagraphsAndTextAfterThemANewParagraph) {
    const std::string page =
        HelpToRoff::Convert(PageOf("logtreat"), "Usage: logtreat [options] LOG...\n"
                                                "Reads the PC logs.\n"
                                                "\n"
                                                "  --minutes N     required minutes; a stretch\n"
                                                "                  lasts from line to line\n"
                                                "  --all           list everything\n"
                                                "Each core is compared in its own scale.\n");
    EXPECT_NE(page.find(".TP\n\\fB\\-\\-minutes N\\fR\nrequired minutes; a stretch\n"
                        "lasts from line to line\n.TP\n\\fB\\-\\-all\\fR\nlist everything\n"
                        ".PP\nEach core is compared in its own scale.\n"),
              std::string::npos)
        << page;
}

TEST(ManPageFromHelp, HeadingsAndExampleLinesKeepTheirShape) {
    const std::string page =
        HelpToRoff::Convert(PageOf("logsort"), "USAGE:  logsort <in> <out>\n"
                                               "Sorts.\n"
                                               "\n"
                                               "Example:\n"
                                               "  logsort ZRMLOG.DAT sorted.dat\n"
                                               "\n"
                                               "Exit status: 0 when written.\n");
    EXPECT_NE(page.find(".SS Example\n.RS 4\n.nf\nlogsort ZRMLOG.DAT sorted.dat\n.fi\n.RE\n"
                        ".PP\nExit status: 0 when written.\n"),
              std::string::npos)
        << page;
    // "Exit status: ..." ends in no colon and has nothing indented under it: running text.
    EXPECT_EQ(Count(page, ".SS"), 1u);
}

TEST(ManPageFromHelp, SeeAlsoListsTheOtherPrograms) {
    HelpToRoff::Page info = PageOf("logsort");
    info.seeAlso = {"logsplit", "logdump"};
    const std::string page = HelpToRoff::Convert(info, "USAGE:  logsort <in> <out>\n");
    EXPECT_NE(page.find(".SH SEE ALSO\n.BR logsplit (1),\n.BR logdump (1)\n"), std::string::npos)
        << page;
}

TEST(RoffEscaping, DefusesWhatRoffWouldReadAsCommands) {
    EXPECT_EQ(HelpToRoff::Escape(".TH not a macro"), "\\&.TH not a macro");
    EXPECT_EQ(HelpToRoff::Escape("'quoted"), "\\&'quoted");
    EXPECT_EQ(HelpToRoff::Escape("a\\b -x \"all\""), "a\\eb \\-x \\(dqall\\(dq");
    EXPECT_EQ(HelpToRoff::Escape(std::string("bell\a")), "bell");
}

TEST(RoffEscaping, WritesUnicodeAsEscapesAndBrokenBytesAsQuestionMarks) {
    EXPECT_EQ(HelpToRoff::Escape("t\xC3\xA9rmico"), "t\\[u00E9]rmico");
    EXPECT_EQ(HelpToRoff::Escape("\xF0\x9F\x94\xA5"), "\\[u1F525]");
    EXPECT_EQ(HelpToRoff::Escape("end\xC3"), "end?");     // cut short
    EXPECT_EQ(HelpToRoff::Escape("\xC0\xAF"), "??");      // overlong '/'
    EXPECT_EQ(HelpToRoff::Escape("\xED\xA0\x80"), "???"); // a surrogate
    EXPECT_EQ(HelpToRoff::Escape("\xFF"
                                 "a"),
              "?a");
}
