// The names downloads are saved under: what a server suggests made safe for
// the download folder, and made unique against what is already there.
#include "browser/Downloads.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(DownloadName, ASuggestedNameIsMadeSafeThenGetsTheLowestFreeNumberBeforeItsExtension)
{
    const QString zhong(1, QChar(0x4e2d)), smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    // The suggested name, the names taken ('|' between them, "*" for every one) and the name saved.
    const std::tuple<QString, QString, QString> rows[] = {
        {"report.txt", "", "report.txt"},
        // It cannot leave the folder, hide or be empty.
        {"../../etc/passwd", "", "passwd"},
        {"..\\..\\boot.ini", "", "boot.ini"},
        {"dir/", "", "download"},
        {"", "", "download"},
        {"..", "", "download"},
        {" . ", "", "download"},
        {".bashrc", "", "bashrc"},
        {"name. . ", "", "name"},
        {"tab\there\nnew\x7fline.txt", "", "tabherenewline.txt"},
        {"年度报告.pdf", "", "年度报告.pdf"},
        // A long name is cut to 200 bytes in its stem, never inside a character.
        {QString(300, 'a') + ".tar.gz", "", QString(193, 'a') + ".tar.gz"},
        {zhong.repeated(100) + ".txt", "", zhong.repeated(65) + ".txt"},
        {smile.repeated(60), "", smile.repeated(50)},
        {"report.txt", "report.txt", "report (1).txt"},
        {"report.txt", "report.txt|report (1).txt", "report (2).txt"},
        {"report.txt", "report.txt|report (2).txt", "report (1).txt"},
        {"README", "README", "README (1)"},
        {"src.tar.gz", "src.tar.gz", "src (1).tar.gz"},
        {"v1.2 notes.txt", "v1.2 notes.txt", "v1.2 notes (1).txt"},
        // Every number taken: the search ends with the caller's tag.
        {"full.txt", "*", "full (7).txt"},
    };
    for (const auto &[suggested, taken, saved] : rows) {
        const auto isTaken = [&](const QString &n) { return taken == "*" || taken.split('|').contains(n); };
        EXPECT_EQ(tk::uniqueDownloadName(tk::safeDownloadName(suggested), isTaken, "7").toStdString(),
                  saved.toStdString());
    }
}
