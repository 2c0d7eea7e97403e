// Every text the program can show exists in every language it offers: the keys
// of the layouts under resources/skin and the keys the sources use must be in
// each language file Language.config lists. A failure names the key, the file
// that lacks it and where the key is used.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <map>
#include <set>

#include "app/language_list.h"

namespace tirk {
namespace {

const QString kResources = QStringLiteral(TIRK_RESOURCE_DIR);
const QString kSkin = kResources + "/skin";
const QString kSource = QStringLiteral(TIRK_RESOURCE_DIR "/..");

// Keys the sources hand over in a way the scan below cannot see (a key kept
// in a named constant, built at run time …). Add them here.
const char* const kKeysUsedIndirectly[] = {"software_rev_text", "skin_custom_unreadable"};

// The source folders whose code can show texts.
const char* const kSourceFolders[] = {"app",  "ui",    "profile", "device",
                                      "core", "input", "audio",   "net"};

using KeyUses = std::map<std::string, std::string>;  // key -> first place it is used

QString Relative(const QString& path) {
    return QDir(kSource).relativeFilePath(path);
}

bool IsLanguageFile(const QString& path) {
    return QFileInfo(path).fileName().startsWith("lan_");
}

// Keys of one language file; a file that does not read is a failure.
std::map<std::string, int> ReadLanguageKeys(const QString& path) {
    std::map<std::string, int> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << path.toStdString() << ": cannot be opened";
        return keys;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Text"))
            ++keys[xml.attributes().value("key").toString().toStdString()];
    }
    if (xml.hasError())
        ADD_FAILURE() << path.toStdString() << ":" << xml.lineNumber() << ": "
                      << xml.errorString().toStdString();
    return keys;
}

// "%[key]" in any attribute and the value of "textkey", in every layout and menu.
KeyUses LayoutKeys() {
    static const QRegularExpression keyed(R"(%\[([^\]]+)\])");
    KeyUses uses;
    QDirIterator files(kSkin, {"*.xml"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (IsLanguageFile(path)) continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        QXmlStreamReader xml(&file);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) continue;
            const std::string where =
                Relative(path).toStdString() + ":" + std::to_string(xml.lineNumber());
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                if (attribute.name().compare(QLatin1String("textkey"), Qt::CaseInsensitive) == 0 &&
                    !attribute.value().isEmpty())
                    uses.emplace(attribute.value().toString().toStdString(), where);
                auto matches = keyed.globalMatch(attribute.value().toString());
                while (matches.hasNext())
                    uses.emplace(matches.next().captured(1).toStdString(), where);
            }
        }
        EXPECT_FALSE(xml.hasError())
            << path.toStdString() << ": " << xml.errorString().toStdString();
    }
    return uses;
}

// The source text with its comments blanked out (line breaks kept, so line
// numbers stay right); string and character literals are left alone.
QString WithoutComments(const QString& text) {
    QString out = text;
    enum { kCode, kString, kChar, kLine, kBlock } state = kCode;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        const QChar next = i + 1 < out.size() ? out[i + 1] : QChar();
        switch (state) {
            case kCode:
                if (c == '"')
                    state = kString;
                else if (c == '\'')
                    state = kChar;
                else if (c == '/' && next == '/')
                    state = kLine;
                else if (c == '/' && next == '*')
                    state = kBlock;
                break;
            case kString:
            case kChar:
                if (c == '\\')
                    ++i;
                else if (c == (state == kString ? '"' : '\''))
                    state = kCode;
                break;
            case kLine:
                if (c == '\n') state = kCode;
                break;
            case kBlock:
                if (c == '*' && next == '/') {
                    out[i] = out[i + 1] = ' ';
                    ++i;
                    state = kCode;
                }
                break;
        }
        if ((state == kLine || state == kBlock) && out[i] != '\n') out[i] = ' ';
    }
    return out;
}

// String literals of the sources that are text keys: "%[key]", "message_text_…",
// and the literal argument of SetTextKey / GetText / ShowMessage*'s key.
KeyUses SourceKeys() {
    static const QRegularExpression patterns[] = {
        QRegularExpression(R"re("%\[([A-Za-z0-9_]+)\]")re"),
        QRegularExpression(R"re("(message_text_[0-9_]+)")re"),
        QRegularExpression(R"re((?:SetTextKey|GetText)\(\s*"([A-Za-z0-9_]+)"\s*\))re"),
        QRegularExpression(
            R"re(ShowMessage(?:WithDetail|Format)?\([^;]*?,[^;,]*?,\s*"([A-Za-z0-9_]+)")re"),
    };
    KeyUses uses;
    for (const char* folder : kSourceFolders) {
        QDirIterator files(kSource + "/" + folder, {"*.cpp", "*.h"}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) continue;
            const QString text = WithoutComments(QString::fromUtf8(file.readAll()));
            for (const QRegularExpression& pattern : patterns) {
                auto matches = pattern.globalMatch(text);
                while (matches.hasNext()) {
                    QRegularExpressionMatch match = matches.next();
                    const int line = text.left(match.capturedStart()).count('\n') + 1;
                    uses.emplace(match.captured(1).toStdString(),
                                 Relative(path).toStdString() + ":" + std::to_string(line));
                }
            }
        }
    }
    for (const char* key : kKeysUsedIndirectly) uses.emplace(key, "tests: kKeysUsedIndirectly");
    return uses;
}

class LanguageFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(LoadLanguageList(LanguageConfigPath(TIRK_RESOURCE_DIR), &list_, &error))
            << error;
        for (const LanguageEntry& entry : list_.entries)
            files_[entry.file] = ReadLanguageKeys(kSkin + "/" + QString::fromStdString(entry.file));
    }
    void ExpectEveryFileHas(const KeyUses& uses) {
        for (const auto& [file, keys] : files_) {
            for (const auto& [key, where] : uses)
                EXPECT_TRUE(keys.count(key))
                    << file << " lacks the key \"" << key << "\" (used at " << where << ")";
        }
    }

    LanguageList list_;
    std::map<std::string, std::map<std::string, int>> files_;
};

TEST_F(LanguageFilesTest, EveryLayoutKeyIsInEveryLanguage) {
    const KeyUses uses = LayoutKeys();
    EXPECT_TRUE(uses.count("main_title")) << "the scan found no layout keys";
    ExpectEveryFileHas(uses);
}

TEST_F(LanguageFilesTest, EveryKeyTheCodeUsesIsInEveryLanguage) {
    const KeyUses uses = SourceKeys();
    EXPECT_TRUE(uses.count("software_rev_text"));
    ExpectEveryFileHas(uses);
}

// A key one language has and another lacks shows as its key in the other.
TEST_F(LanguageFilesTest, AllLanguagesHaveTheSameKeysEachOnce) {
    std::map<std::string, std::string> any_key;  // key -> a file that has it
    for (const auto& [file, keys] : files_) {
        for (const auto& [key, count] : keys) {
            any_key.emplace(key, file);
            EXPECT_EQ(count, 1) << file << " has the key \"" << key << "\" " << count << " times";
        }
    }
    for (const auto& [file, keys] : files_) {
        for (const auto& [key, holder] : any_key)
            EXPECT_TRUE(keys.count(key))
                << file << " lacks the key \"" << key << "\" that " << holder << " has";
    }
}

TEST_F(LanguageFilesTest, EveryLanguageFileInTheSkinIsListed) {
    std::set<std::string> listed;
    for (const LanguageEntry& entry : list_.entries) listed.insert(entry.file);
    QDirIterator files(kSkin, {"lan_*.xml"}, QDir::Files);
    while (files.hasNext()) {
        const std::string name = QFileInfo(files.next()).fileName().toStdString();
        EXPECT_TRUE(listed.count(name)) << name << " is not in Language.config";
    }
}

}  // namespace
}  // namespace tirk
