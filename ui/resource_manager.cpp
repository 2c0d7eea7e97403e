#include "ui/resource_manager.h"

#include <QFile>
#include <QFontDatabase>
#include <QXmlStreamReader>
#include <vector>

#include "core/log.h"
#include "ui/control.h"
#include "ui/internal/attributes.h"
#include "ui/paint_manager.h"

using namespace tirk::ui;

namespace {

// Reads <Language><Text key="…">text</Text>…</Language>. Returns false with
// "<file>[:<line>]: <problem>" in `error`.
bool ReadLanguageFile(const std::string& path, std::map<std::string, std::string>* texts,
                      std::string* error) {
    QFile file(ToQ(path));
    if (!file.open(QIODevice::ReadOnly)) {
        *error = path + ": cannot open file";
        return false;
    }
    QXmlStreamReader reader(&file);
    auto fail = [&](const std::string& what) {
        *error = path + ":" + std::to_string(reader.lineNumber()) + ": " + what;
        return false;
    };
    if (!reader.readNextStartElement()) return fail("XML error: " + FromQ(reader.errorString()));
    if (reader.name() != QLatin1String("Language"))
        return fail("the root element must be <Language>");
    while (reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("Text"))
            return fail("unknown element <" + FromQ(reader.name().toString()) + ">");
        QString key = reader.attributes().value(QLatin1String("key")).toString();
        if (key.isEmpty()) return fail("<Text> without key");
        QString text = reader.readElementText();
        if (reader.hasError()) break;
        (*texts)[FromQ(key)] = FromQ(text);
    }
    if (reader.hasError()) return fail("XML error: " + FromQ(reader.errorString()));
    return true;
}

}  // namespace

CResourceManager::CResourceManager() {
    m_defaultFont.size = 12;
}

CResourceManager* CResourceManager::GetInstance() {
    static CResourceManager manager;
    return &manager;
}

bool CResourceManager::LoadLanguage(const std::string& file, std::string* error) {
    std::string path = CPaintManagerUI::ResolveResourceFile(file);
    std::map<std::string, std::string> texts;
    std::string problem;
    if (!ReadLanguageFile(path, &texts, &problem)) {
        tirk::log::FileFault(path, problem);
        if (error) *error = problem;
        return false;
    }
    m_texts.swap(texts);
    m_languageFile = file;
    ReloadText();
    return true;
}

std::string CResourceManager::GetText(const std::string& key) const {
    auto found = m_texts.find(key);
    if (found != m_texts.end()) return found->second;
    if (m_query) {
        std::string answer = m_query->QueryControlText(key);
        if (!answer.empty()) return answer;
    }
    return key;
}

bool CResourceManager::HasText(const std::string& key) const {
    return m_texts.count(key) != 0;
}

void CResourceManager::ReloadText() {
    std::vector<CControlUI*> keyed(m_keyed.begin(), m_keyed.end());
    for (CControlUI* control : keyed) {
        if (m_keyed.count(control)) control->ReloadText();
    }
}

void CResourceManager::RemoveAllFonts() {
    m_fonts.clear();
    NotifyFontsChanged();
}

bool CResourceManager::AddFont(int id, const std::string& face, int size, bool bold, bool underline,
                               bool italic) {
    if (id < 0 || size <= 0) return false;
    m_fonts[id] = TFontInfoUI{face, size, bold, underline, italic};
    NotifyFontsChanged();
    return true;
}

void CResourceManager::SetDefaultFont(const std::string& face, int size, bool bold, bool underline,
                                      bool italic) {
    m_defaultFont = TFontInfoUI{face, size > 0 ? size : 12, bold, underline, italic};
    NotifyFontsChanged();
}

const TFontInfoUI& CResourceManager::GetFont(int id) const {
    auto found = m_fonts.find(id);
    return found == m_fonts.end() ? m_defaultFont : found->second;
}

bool CResourceManager::AddFontFile(const std::string& path) {
    std::string full = path;
    if (!full.empty() && full[0] != '/') full = CPaintManagerUI::GetInstancePath() + full;
    int id = QFontDatabase::addApplicationFont(ToQ(full));
    if (id < 0) {
        tirk::log::FileFault(full, "font file cannot be loaded");
        return false;
    }
    m_fontFileIds.insert(id);
    return true;
}

void CResourceManager::Release() {
    m_texts.clear();
    m_languageFile.clear();
    m_fonts.clear();
    m_defaultFont = TFontInfoUI{};
    for (int id : m_fontFileIds) QFontDatabase::removeApplicationFont(id);
    m_fontFileIds.clear();
}

void CResourceManager::RegisterKeyedControl(CControlUI* control) {
    m_keyed.insert(control);
}

void CResourceManager::UnregisterKeyedControl(CControlUI* control) {
    m_keyed.erase(control);
}

void CResourceManager::NotifyFontsChanged() {
    if (m_fontBatchDepth > 0) {
        m_fontsChangedInBatch = true;
        return;
    }
    for (CPaintManagerUI* manager : CPaintManagerUI::GetAllManagers()) manager->ResetDPIAssets();
}

void CResourceManager::BeginFontBatch() {
    ++m_fontBatchDepth;
}

void CResourceManager::EndFontBatch() {
    if (m_fontBatchDepth == 0 || --m_fontBatchDepth > 0) return;
    if (!m_fontsChangedInBatch) return;
    m_fontsChangedInBatch = false;
    NotifyFontsChanged();
}
