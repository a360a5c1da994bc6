#include "ToolRun.h"

#include "tools/cert/CertificateOptions.h"
#include "tools/cert/CertificatePage.h"
#include "tools/common/Sha256.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace logtools {
namespace {

using test::fileExists;
using test::readFile;
using test::runTool;
using test::TempDir;
using test::writeFile;

// CR LF lines of a unit a minute apart, from the given minute of 12/06/06 08:00, cores at value.
std::string minutes(int unit, int from, int count, int value) {
    std::string text;
    for (int m = from; m < from + count; ++m) {
        char line[80];
        std::snprintf(line, sizeof line, "12/06/06,%02d:%02d:00,%03d,58,%3d,%3d,%3d,%3d\r\n",
                      8 + m / 60, m % 60, unit, value, value, value, 70);
        text += line;
    }
    return text;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The charges of the treatment cases: unit 1 treated, unit 2 broken by a gap, unit 3 by a
// sensor fault, unit 4 held for 29 minutes only.
const std::string kLog = "Charge 17, pallets\r\n" + minutes(1, 0, 31, 60) + minutes(2, 0, 25, 60) +
                         minutes(2, 28, 5, 60) + minutes(3, 0, 25, 60) +
                         "12/06/06,08:25:00,003,58, 60,140, 60, 70\r\n" + minutes(3, 26, 10, 60) +
                         minutes(4, 0, 30, 61);

class Certificate : public ::testing::Test {
protected:
    void SetUp() override { writeFile(m_dir.file("001_061206_080000.CSV"), kLog); }

    int logtreat(std::vector<std::string> args) {
        args.push_back("001_061206_080000.CSV");
        int status = -1;
        runTool(LOGTREAT_PROGRAM, args, m_dir.path(), status);
        return status;
    }
    std::string tool(const char* program, const std::string& pdf) {
        int status = -1;
        return runTool(program, {pdf, "-"}, m_dir.path(), status);
    }
    // The text of each page, as a PDF reader extracts it.
    std::vector<std::string> pages(const std::string& pdf) {
        const std::string text = tool(PDFTOTEXT_PROGRAM, pdf);
        std::vector<std::string> split;
        std::size_t start = 0;
        for (std::size_t feed; (feed = text.find('\f', start)) != std::string::npos;
             start = feed + 1) {
            split.push_back(text.substr(start, feed - start));
        }
        return split;
    }
    std::string info(const std::string& pdf) {
        int status = -1;
        return runTool(PDFINFO_PROGRAM, {pdf}, m_dir.path(), status);
    }

    TempDir m_dir;
};

TEST_F(Certificate, ShowsEachTreatmentCaseOnItsOwnPageInUnitOrder) {
    ASSERT_EQ(logtreat({"--pdf", "c.pdf", "--site", "Maderas del Sur, Valdivia", "--facility",
                        "CL-HT-0042", "--paper", "a4"}),
              0);
    const std::vector<std::string> text = pages("c.pdf");
    ASSERT_EQ(text.size(), 4u);
    const std::string hash = "001_061206_080000.CSV\n" + Sha256::hexOf(kLog);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string& page = text[i];
        EXPECT_TRUE(contains(page, "Maderas del Sur, Valdivia")) << i;
        EXPECT_TRUE(contains(page, "Registration / certification no.: CL-HT-0042")) << i;
        EXPECT_TRUE(contains(page, "Charge: Charge 17, pallets")) << i;
        EXPECT_TRUE(contains(page, "Farm 1, unit 00" + std::to_string(i + 1))) << i;
        EXPECT_TRUE(contains(page, "Rule: every core (1, 2 and 3) at or above 56C (132.8F) for "
                                   "30 min without a break."))
            << i;
        EXPECT_TRUE(contains(page, hash)) << i;
        EXPECT_TRUE(contains(page, "logtreat 1.50")) << i;
        EXPECT_TRUE(contains(page, "Page " + std::to_string(i + 1) + " of 4")) << i;
        EXPECT_EQ(contains(page, "\nNOT TREATED\n"), i > 0) << i;
    }
    EXPECT_TRUE(contains(text[0], "\nTREATED\n"));
    EXPECT_TRUE(contains(text[0], "Qualifying stretch: 2006-12-06 08:00:00 to 2006-12-06 "
                                  "08:30:00 (30 min)\nLowest core reading in it: 60C"));
    EXPECT_TRUE(contains(text[1], "Longest stretch 24 min, 6 min short of 30 min; it ended: no "
                                  "line for 4 min"));
    EXPECT_TRUE(contains(text[1], "after 2006-12-06 08:24:00"));
    EXPECT_TRUE(contains(
        text[1],
        "30 lines, 2006-12-06 08:00:00 to 2006-12-06 08:32:00; gaps: 1, sensor faults: 0"));
    EXPECT_TRUE(contains(text[2], "it ended: sensor fault: core 2 read 140C at 2006-12-06"));
    EXPECT_TRUE(contains(text[2], "gaps: 0, sensor faults: 1"));
    EXPECT_TRUE(contains(text[3], "Longest stretch 29 min, 1 min short of 30 min; it ended: the "
                                  "record ends at 2006-12-06 08:29:00."));
    EXPECT_TRUE(contains(text[3], "Longest stretch: 2006-12-06 08:00:00 to 2006-12-06 08:29:00 "
                                  "(29 min)\nLowest core reading in it: 61C"));
}

TEST_F(Certificate, GivesTheSameBytesEveryTimeOnEitherPaper) {
    ASSERT_EQ(logtreat({"--pdf", "a.pdf", "--paper", "a4"}), 0);
    ASSERT_EQ(logtreat({"--pdf=b.pdf", "--paper=a4", "--all"}), 0);
    EXPECT_EQ(readFile(m_dir.file("a.pdf")), readFile(m_dir.file("b.pdf")));
    const std::string a4 = info("a.pdf");
    EXPECT_TRUE(contains(a4, "Pages:           4\n"));
    EXPECT_TRUE(contains(a4, "Page size:       595.276 x 841.89 pts (A4)"));
    // The document's date is the record's last line, not the time of printing.
    EXPECT_TRUE(contains(a4, "CreationDate:    Wed Dec  6 08:35:00 2006"));

    ASSERT_EQ(logtreat({"--pdf", "letter.pdf", "--paper", "letter", "--units", "2,4"}), 0);
    const std::string letter = info("letter.pdf");
    EXPECT_TRUE(contains(letter, "Pages:           2\n"));
    EXPECT_TRUE(contains(letter, "Page size:       612 x 792 pts (letter)"));
    const std::vector<std::string> text = pages("letter.pdf");
    ASSERT_EQ(text.size(), 2u);
    EXPECT_TRUE(contains(text[0], "unit 002"));
    EXPECT_TRUE(contains(text[1], "unit 004"));

    // Without --paper the locale decides.
    const char* saved = std::getenv("LC_ALL");
    const std::string savedValue = saved != nullptr ? saved : "";
    ::setenv("LC_ALL", "es_MX.UTF-8", 1);
    const int status = logtreat({"--pdf", "mx.pdf"});
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    const int statusDe = logtreat({"--pdf", "de.pdf"});
    saved != nullptr ? ::setenv("LC_ALL", savedValue.c_str(), 1) : ::unsetenv("LC_ALL");
    ASSERT_EQ(status, 0);
    ASSERT_EQ(statusDe, 0);
    EXPECT_TRUE(contains(info("mx.pdf"), "(letter)"));
    EXPECT_TRUE(contains(info("de.pdf"), "(A4)"));
}

TEST_F(Certificate, SpeaksSpanishAndShowsAnyDescriptorAsText) {
    writeFile(m_dir.file("001_061206_080000.CSV"),
              "Carga 5, pino \xF1 \x01 \xC3\xA9\r\n" + minutes(1, 0, 31, 60));
    ASSERT_EQ(logtreat({"--pdf", "es.pdf", "--spanish", "--units", "1,9"}), 0);
    const std::vector<std::string> text = pages("es.pdf");
    ASSERT_EQ(text.size(), 2u);
    // A Latin-1 byte as its letter, a control character as "?", UTF-8 kept.
    EXPECT_TRUE(contains(text[0], "Carga: Carga 5, pino \xC3\xB1 ? \xC3\xA9"));
    EXPECT_TRUE(contains(text[0], "\nTRATADO\n"));
    EXPECT_TRUE(contains(text[0], "Tramo que cumple: 2006-12-06 08:00:00 a 2006-12-06 08:30:00"));
    EXPECT_TRUE(contains(text[0], "Página 1 de 2"));
    // A unit asked for that never ran.
    EXPECT_TRUE(contains(text[1], "Granja 1, unidad 009"));
    EXPECT_TRUE(contains(text[1], "\nNO TRATADO\n"));
    EXPECT_TRUE(contains(text[1], "Ninguna línea en el registro"));
}

TEST_F(Certificate, FailsClearlyAndLeavesFilesAlone) {
    writeFile(m_dir.file("old.pdf"), "kept");
    // A log without a unit makes no certificate, and the file there stays.
    writeFile(m_dir.file("empty.CSV"), "Nothing ran\r\n");
    int status = -1;
    runTool(LOGTREAT_PROGRAM, {"--pdf", "old.pdf", "empty.CSV"}, m_dir.path(), status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(readFile(m_dir.file("old.pdf")), "kept");
    // Never over a log, nor over the CSV summary, nor into a missing folder.
    EXPECT_EQ(logtreat({"--pdf", "./001_061206_080000.CSV"}), 2);
    EXPECT_EQ(readFile(m_dir.file("001_061206_080000.CSV")), kLog);
    EXPECT_EQ(logtreat({"--pdf", "s.csv", "--csv", "s.csv"}), 2);
    EXPECT_EQ(logtreat({"--pdf", "no/such/c.pdf"}), 2);
    EXPECT_EQ(logtreat({"--pdf", "c.pdf", "--paper", "a5"}), 2);
    // A log that cannot be read: no certificate that would leave it out.
    EXPECT_EQ(logtreat({"--pdf", "c.pdf", "missing.CSV"}), 2);
    EXPECT_EQ(logtreat({"--pdf"}), 2);
    EXPECT_FALSE(fileExists(m_dir.file("c.pdf")));
    EXPECT_FALSE(fileExists(m_dir.file("s.csv")));
}

TEST(CertificatePage, ReadsFarmNumbersAndPaperFromNames) {
    EXPECT_EQ(CertificatePage::farmOfLogName("PC_Logs/012_061206_081500.CSV"), 12);
    EXPECT_EQ(CertificatePage::farmOfLogName("C:\\PC_Logs\\001_061206_081500.CSV"), 1);
    EXPECT_EQ(CertificatePage::farmOfLogName("charge.CSV"), 0);
    EXPECT_EQ(CertificatePage::farmOfLogName("01a_x.CSV"), 0);
    using Paper = CertificateOptions::Paper;
    EXPECT_EQ(CertificateOptions::paperOfLocale("en_US.UTF-8"), Paper::Letter);
    EXPECT_EQ(CertificateOptions::paperOfLocale("es_CL"), Paper::Letter);
    EXPECT_EQ(CertificateOptions::paperOfLocale("es_ES.UTF-8"), Paper::A4);
    EXPECT_EQ(CertificateOptions::paperOfLocale("C"), Paper::A4);
    EXPECT_EQ(CertificateOptions::paperOfLocale("en_U"), Paper::A4);
}

TEST(CertificatePage, PrintsOnlyValidTextOfBoundedLength) {
    EXPECT_EQ(CertificatePage::printable("abc", 2), "ab...");
    EXPECT_EQ(CertificatePage::printable("\xC3\xB1\xC3\xB1", 1), "\xC3\xB1...");
    // Overlong forms, surrogates and cut sequences are read as Latin-1 bytes.
    EXPECT_EQ(CertificatePage::printable("\xC0\xAF", 9), "\xC3\x80\xC2\xAF");
    EXPECT_EQ(CertificatePage::printable("\xED\xA0\x80", 9), "\xC3\xAD\xC2\xA0?");
    EXPECT_EQ(CertificatePage::printable("\xE2\x82", 9), "\xC3\xA2?");
    EXPECT_EQ(CertificatePage::printable("a\tb\x7F", 9), "a?b?");
}

} // namespace
} // namespace logtools
