// The names downloads are saved under: what a server suggests made safe for
// the download folder, and made unique against what is already there.
#include "browser/Downloads.h"

#include <QSet>

#include <gtest/gtest.h>

using tk::safeDownloadName;
using tk::uniqueDownloadName;

TEST(DownloadName, ASuggestedNameCannotLeaveTheFolderHideOrBeEmpty)
{
    const std::pair<QString, QString> cases[] = {
        {"report.txt", "report.txt"},
        {"../../etc/passwd", "passwd"},
        {"..\\..\\boot.ini", "boot.ini"},
        {"dir/", "download"},
        {"", "download"},
        {"..", "download"},
        {" . ", "download"},
        {".bashrc", "bashrc"},
        {"name. . ", "name"},
        {QStringLiteral("tab\there\nnew\x7fline.txt"), "tabherenewline.txt"},
        {QStringLiteral("年度报告.pdf"), QStringLiteral("年度报告.pdf")},
    };
    for (const auto &[suggested, safe] : cases)
        EXPECT_EQ(safeDownloadName(suggested), safe) << suggested.toStdString();
}

TEST(DownloadName, ALongNameIsCutInItsStemAndKeepsItsExtension)
{
    const QString latin = safeDownloadName(QString(300, QLatin1Char('a')) + QStringLiteral(".tar.gz"));
    EXPECT_LE(latin.toUtf8().size(), 200);
    EXPECT_TRUE(latin.endsWith(QStringLiteral("a.tar.gz"))) << latin.toStdString();
    // Three bytes a character: never cut inside one.
    const QString wide = safeDownloadName(QString(100, QChar(0x4e2d)) + QStringLiteral(".txt"));
    EXPECT_LE(wide.toUtf8().size(), 200);
    EXPECT_EQ(wide, QString(65, QChar(0x4e2d)) + QStringLiteral(".txt"));
    const QString emoji = safeDownloadName(QString::fromUtf8("\xF0\x9F\x98\x80").repeated(60));
    EXPECT_EQ(emoji, QString::fromUtf8("\xF0\x9F\x98\x80").repeated(50));
}

TEST(DownloadName, ATakenNameGetsTheLowestFreeNumberBeforeItsExtension)
{
    QSet<QString> taken;
    const auto isTaken = [&](const QString &n) { return taken.contains(n); };
    const auto next = [&](const QString &name) {
        const QString n = uniqueDownloadName(name, isTaken, QStringLiteral("tag"));
        taken.insert(n);
        return n.toStdString();
    };
    EXPECT_EQ(next("report.txt"), "report.txt");
    EXPECT_EQ(next("report.txt"), "report (1).txt");
    EXPECT_EQ(next("report.txt"), "report (2).txt");
    taken.remove(QStringLiteral("report (1).txt"));
    EXPECT_EQ(next("report.txt"), "report (1).txt");
    EXPECT_EQ(next("README"), "README");
    EXPECT_EQ(next("README"), "README (1)");
    EXPECT_EQ(next("src.tar.gz"), "src.tar.gz");
    EXPECT_EQ(next("src.tar.gz"), "src (1).tar.gz");
    EXPECT_EQ(next("v1.2 notes.txt"), "v1.2 notes.txt");
    EXPECT_EQ(next("v1.2 notes.txt"), "v1.2 notes (1).txt");

    // Every number taken: the search ends with the caller's tag.
    const auto all = [](const QString &) { return true; };
    EXPECT_EQ(uniqueDownloadName(QStringLiteral("full.txt"), all, QStringLiteral("7")), "full (7).txt");
}
