// trellion-cli find: the window's file search from a terminal.
#include <cstdio>
#include <string>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "search/filenamecodec.h"
#include "search/foundorder.h"
#include "search/tlmdsearchfilegrep.h"
#include "tools/commandregistry.h"
#include "tools/jsonoutput.h"

namespace {

CommandSpec DescribeFind() {
    CommandSpec spec;
    spec.usage = "usage: trellion-cli find [--masks MASKS] [--sorted] [--json] DIR...\n";
    spec.description =
        "Searches each DIR and everything below it for entries matching MASKS\n"
        "(separated by \";\", default \"*.ild\"; \"*\" any run, \"?\" one character,\n"
        "letters regardless of case) and prints each one found, directory followed\n"
        "by name, one a line, in the order found. Names are written as the file\n"
        "system's bytes, whatever the locale; so are DIR arguments taken.\n";
    spec.options = {
        Valued({"masks"}, "MASKS", "the file masks", "*.ild"),
        Flag({"sorted"}, "print in the order of the window's found-file list"),
        Flag({"json"}, "print one JSON document instead: {\"dirs\", \"masks\",\n"
                       "\"found\": [{\"path\"}, ...]}; a path whose bytes are not\n"
                       "UTF-8 shows them as U+FFFD and adds \"path_base64\""),
    };
    spec.closing = "Directories that are missing or cannot be read yield nothing; the exit\n"
                   "status is 0, 2 when the arguments are wrong, 1 when the list could not be\n"
                   "written.\n";
    spec.operands = {AnyDirectory()};
    return spec;
}

int RunFind(const CommandLine& line) {
    const QString masks = QString::fromLocal8Bit(line.Value("masks"));
    const bool sorted = line.IsSet("sorted");
    const bool json = line.IsSet("json");
    QStringList dirs;
    QList<QByteArray> dirArgs;
    for (const std::string& arg : line.Operands()) {
        const QString dir = DecodeFileName(arg);
        if (dir.contains(u';')) {
            // Dirs separates its directories with ";", so such a name cannot be searched.
            return line.Fail("directory name '" + arg + "' contains ';'");
        }
        dirs.append(dir);
        dirArgs.append(QByteArray::fromStdString(arg));
    }
    if (dirs.isEmpty())
        return line.Fail("no directory given", true);

    TLMDSearchFileGrep search;
    search.SetDirs(dirs.join(u';'));
    search.SetFileMasks(masks);
    search.SetInternalFoundList(false);
    search.SetThreadedSearch(false);

    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    // A found path as the file system gave it, byte for byte, whatever the locale.
    const auto print = [](const QString& path) {
        const std::string line = EncodeFileName(path);
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    };
    QStringList found;
    search.OnFound = [&](QObject*, const TLMDSPFileRecord& record) {
        const QString path = record.dir + record.fileName;
        if (sorted || json)
            found.append(path);
        else
            print(path);
    };
    search.Execute();
    if (sorted)
        SortFoundOrder(found);
    if (json) {
        QJsonArray dirList;
        for (const QByteArray& dir : dirArgs)
            dirList.append(JsonText(dir));
        QJsonArray foundList;
        for (const QString& path : found) {
            QJsonObject entry;
            SetJsonPath(entry, QStringLiteral("path"),
                        QByteArray::fromStdString(EncodeFileName(path)));
            foundList.append(entry);
        }
        const QJsonObject document{
            {"dirs", dirList}, {"masks", masks}, {"sorted", sorted}, {"found", foundList}};
        if (!WriteJson(document)) {
            std::fprintf(stderr, "trellion-cli find: cannot write the list to standard output\n");
            return 1;
        }
        return 0;
    }
    if (sorted)
        for (const QString& path : found)
            print(path);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "trellion-cli find: cannot write the list to standard output\n");
        return 1;
    }
    return 0;
}

const CommandRegistration registration("find", "search directory trees for ILDA files",
                                       &DescribeFind, &RunFind);

} // namespace
