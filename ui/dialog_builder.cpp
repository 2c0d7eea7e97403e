#include "ui/dialog_builder.h"

#include <QFile>
#include <QXmlStreamReader>
#include <functional>
#include <map>
#include <memory>

#include "core/log.h"
#include "ui/button.h"
#include "ui/combo.h"
#include "ui/container.h"
#include "ui/control_factory.h"
#include "ui/edit.h"
#include "ui/internal/attributes.h"
#include "ui/label.h"
#include "ui/list.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/slider.h"

using namespace tirk::ui;

namespace {

constexpr int kMaxIncludeDepth = 16;

CControlUI* CreateBuiltin(const std::string& className) {
    static const std::map<std::string, std::function<CControlUI*()>> kBuiltins = {
        {"control", [] { return new CControlUI; }},
        {"container", [] { return new CContainerUI; }},
        {"verticallayout", [] { return new CVerticalLayoutUI; }},
        {"horizontallayout", [] { return new CHorizontalLayoutUI; }},
        {"tablayout", [] { return new CTabLayoutUI; }},
        {"label", [] { return new CLabelUI; }},
        {"text", [] { return new CTextUI; }},
        {"button", [] { return new CButtonUI; }},
        {"option", [] { return new COptionUI; }},
        {"checkbox", [] { return new CCheckBoxUI; }},
        {"edit", [] { return new CEditUI; }},
        {"richedit", [] { return new CRichEditUI; }},
        {"slider", [] { return new CSliderUI; }},
        {"progress", [] { return new CProgressUI; }},
        {"combo", [] { return new CComboUI; }},
        {"list", [] { return new CListUI; }},
        {"listlabelelement", [] { return new CListLabelElementUI; }},
        {"listcontainerelement", [] { return new CListContainerElementUI; }},
    };
    auto found = kBuiltins.find(ToLower(className));
    return found == kBuiltins.end() ? nullptr : found->second();
}

// One pass over one file; Include opens a nested pass.
class LayoutParser {
public:
    LayoutParser(std::string name, IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                 TWindowInfoUI* window, int depth)
        : m_name(std::move(name)),
          m_callback(callback),
          m_manager(manager),
          m_window(window),
          m_depth(depth) {}

    // Builds the root of `xml`; nullptr with Error() set on failure.
    CControlUI* Parse(const QByteArray& xml) {
        m_reader.addData(xml);
        if (!m_reader.readNextStartElement()) return Fail(XmlProblem("the file holds no element"));
        std::unique_ptr<CControlUI> root(IsElement("Window") ? ParseWindow() : ParseControl());
        if (!root) return nullptr;
        while (!m_reader.atEnd()) m_reader.readNext();
        if (m_reader.hasError()) return Fail(XmlProblem(""));
        return root.release();
    }

    const std::string& Error() const { return m_error; }

private:
    bool IsElement(const char* name) const {
        return m_reader.name().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    }
    std::string ElementName() const { return FromQ(m_reader.name().toString()); }
    std::string Attribute(const char* name) const {
        return FromQ(m_reader.attributes().value(QLatin1String(name)).toString());
    }

    CControlUI* Fail(const std::string& what) {
        if (m_error.empty())
            m_error = m_name + ":" + std::to_string(m_reader.lineNumber()) + ": " + what;
        return nullptr;
    }
    std::string XmlProblem(const std::string& otherwise) const {
        return m_reader.hasError() ? "XML error: " + FromQ(m_reader.errorString()) : otherwise;
    }

    CControlUI* ParseWindow() {
        if (!ReadWindowAttributes()) return nullptr;
        CFontBatchUI fonts;  // the window's fonts re-measure the open windows once
        std::unique_ptr<CControlUI> root;
        while (m_reader.readNextStartElement()) {
            if (IsElement("Font")) {
                if (!ParseFont()) return nullptr;
            } else if (IsElement("Default")) {
                if (!ParseDefault()) return nullptr;
            } else {
                if (root) return Fail("<Window> holds more than one root control");
                root.reset(ParseControl());
                if (!root) return nullptr;
            }
        }
        if (m_reader.hasError()) return Fail(XmlProblem(""));
        if (!root) return Fail("<Window> holds no control");
        return root.release();
    }

    bool ReadWindowAttributes() {
        TWindowInfoUI info;
        for (const QXmlStreamAttribute& attribute : m_reader.attributes()) {
            const std::string name = ToLower(FromQ(attribute.name().toString()));
            const std::string value = FromQ(attribute.value().toString());
            TSizeUI size;
            TRectUI rect;
            bool ok = true;
            if (name == "size" || name == "mininfo" || name == "maxinfo") {
                ok = ParseSize(value, &size) && size.cx >= 0 && size.cy >= 0;
                if (name == "size")
                    info.width = size.cx, info.height = size.cy;
                else if (name == "mininfo")
                    info.minWidth = size.cx, info.minHeight = size.cy;
                else
                    info.maxWidth = size.cx, info.maxHeight = size.cy;
            } else if (name == "caption") {
                ok = ParseRect(value, &rect);
                info.captionHeight = rect.bottom;
            } else if (name == "frameless" || name == "resizable") {
                ok = ParseBool(value, name == "frameless" ? &info.frameless : &info.resizable);
            }
            if (!ok) {
                Fail("bad value '" + value + "' for attribute '" + name + "' of <Window>");
                return false;
            }
        }
        if (m_window) *m_window = info;
        return true;
    }

    bool ParseFont() {
        int id = -1;
        int size = 12;
        bool bold = false, underline = false, italic = false, isDefault = false;
        std::string face = Attribute("name");
        for (auto [key, target] : {std::pair{"id", &id}, std::pair{"size", &size}}) {
            std::string value = Attribute(key);
            if (!value.empty() && !ParseInt(value, target))
                return FailBool("bad " + std::string(key) + " '" + value + "' in <Font>");
        }
        for (auto [key, target] :
             {std::pair{"bold", &bold}, std::pair{"underline", &underline},
              std::pair{"italic", &italic}, std::pair{"default", &isDefault}}) {
            std::string value = Attribute(key);
            if (!value.empty() && !ParseBool(value, target))
                return FailBool("bad " + std::string(key) + " '" + value + "' in <Font>");
        }
        if (size <= 0) return FailBool("<Font> size must be positive");
        if (id < 0 && !isDefault) return FailBool("<Font> needs an id (>= 0) or default=\"true\"");
        CResourceManager* resources = CResourceManager::GetInstance();
        if (id >= 0) resources->AddFont(id, face, size, bold, underline, italic);
        if (isDefault) resources->SetDefaultFont(face, size, bold, underline, italic);
        m_reader.skipCurrentElement();
        return true;
    }

    bool ParseDefault() {
        std::string className = Attribute("class");
        if (className.empty()) className = Attribute("name");
        if (className.empty()) return FailBool("<Default> needs class=\"…\"");
        AttributeList list;
        for (const QXmlStreamAttribute& attribute : m_reader.attributes()) {
            std::string name = ToLower(FromQ(attribute.name().toString()));
            std::string value = FromQ(attribute.value().toString());
            if (name == "class" || name == "name") continue;
            std::string error;
            if (name == "value" && !ParseAttributeList(value, &list, &error))
                return FailBool("bad value list in <Default>: " + error);
            if (name != "value") list.emplace_back(name, value);
        }
        m_defaults[ToLower(className)].insert(m_defaults[ToLower(className)].end(), list.begin(),
                                              list.end());
        if (m_manager) m_manager->AddDefaultAttributes(className, list);
        m_reader.skipCurrentElement();
        return true;
    }

    bool FailBool(const std::string& what) {
        Fail(what);
        return false;
    }

    CControlUI* CreateControl(const std::string& className) {
        if (CControlUI* control = CreateBuiltin(className)) return control;
        if (CControlUI* control = CControlFactory::GetInstance()->CreateControl(className))
            return control;
        return m_callback ? m_callback->CreateControl(className) : nullptr;
    }

    const AttributeList* DefaultsFor(const std::string& className) const {
        auto found = m_defaults.find(ToLower(className));
        if (found != m_defaults.end()) return &found->second;
        return m_manager ? m_manager->GetDefaultAttributes(className) : nullptr;
    }

    bool ApplyAttribute(CControlUI* control, const std::string& name, const std::string& value) {
        if (control->SetAttribute(name, value)) return true;
        return FailBool("bad value '" + value + "' for attribute '" + name + "' of <" +
                        ElementName() + ">");
    }

    CControlUI* ParseControl() {
        if (IsElement("Include")) return ParseInclude();
        const std::string className = ElementName();
        std::unique_ptr<CControlUI> control(CreateControl(className));
        if (!control) return Fail("unknown element <" + className + ">");
        if (const AttributeList* defaults = DefaultsFor(className)) {
            for (const auto& [name, value] : *defaults) {
                if (!ApplyAttribute(control.get(), name, value)) return nullptr;
            }
        }
        for (const QXmlStreamAttribute& attribute : m_reader.attributes()) {
            if (!ApplyAttribute(control.get(), FromQ(attribute.name().toString()),
                                FromQ(attribute.value().toString())))
                return nullptr;
        }
        if (!ParseChildren(control.get(), className)) return nullptr;
        return control.release();
    }

    bool ParseChildren(CControlUI* parent, const std::string& className) {
        const int line = int(m_reader.lineNumber());
        while (m_reader.readNextStartElement()) {
            std::unique_ptr<CControlUI> child(ParseControl());
            if (!child) return false;
            if (!AddChild(parent, child.get()))
                return FailBool("<" + className + "> (line " + std::to_string(line) +
                                ") cannot hold <" + child->GetClass() + ">");
            child.release();
        }
        if (m_reader.hasError()) return FailBool(XmlProblem(""));
        return true;
    }

    static bool AddChild(CControlUI* parent, CControlUI* child) {
        if (auto* container = dynamic_cast<CContainerUI*>(parent)) return container->Add(child);
        if (auto* combo = dynamic_cast<CComboUI*>(parent)) return combo->Add(child);
        return false;
    }

    CControlUI* ParseInclude() {
        std::string source = Attribute("source");
        if (source.empty()) return Fail("<Include> needs source=\"…\"");
        if (m_depth >= kMaxIncludeDepth) return Fail("<Include> nested too deeply (a cycle?)");
        std::string error;
        CControlUI* included =
            BuildFile(source, m_callback, m_manager, nullptr, m_depth + 1, &error);
        if (!included) {
            Fail("in <Include source=\"" + source + "\">: " + error);
            return nullptr;
        }
        m_reader.skipCurrentElement();
        return included;
    }

public:
    static CControlUI* BuildFile(const std::string& file, IDialogBuilderCallback* callback,
                                 CPaintManagerUI* manager, TWindowInfoUI* window, int depth,
                                 std::string* error) {
        std::string path = CPaintManagerUI::ResolveResourceFile(file);
        QFile input(ToQ(path));
        if (!input.open(QIODevice::ReadOnly)) {
            *error = path + ": cannot open file";
            return nullptr;
        }
        LayoutParser parser(path, callback, manager, window, depth);
        CControlUI* root = parser.Parse(input.readAll());
        if (!root) *error = parser.Error();
        return root;
    }

private:
    std::string m_name;
    IDialogBuilderCallback* m_callback;
    CPaintManagerUI* m_manager;
    TWindowInfoUI* m_window;
    int m_depth;
    QXmlStreamReader m_reader;
    std::string m_error;
    std::map<std::string, AttributeList> m_defaults;
};

}  // namespace

CControlUI* CDialogBuilder::Create(const std::string& file, IDialogBuilderCallback* callback,
                                   CPaintManagerUI* manager) {
    m_error.clear();
    m_window = TWindowInfoUI{};
    CControlUI* root = LayoutParser::BuildFile(file, callback, manager, &m_window, 0, &m_error);
    if (!root) tirk::log::FileFault(file, m_error);
    return root;
}

CControlUI* CDialogBuilder::CreateFromText(const std::string& xml, const std::string& name,
                                           IDialogBuilderCallback* callback,
                                           CPaintManagerUI* manager) {
    m_error.clear();
    m_window = TWindowInfoUI{};
    LayoutParser parser(name, callback, manager, &m_window, 0);
    CControlUI* root = parser.Parse(QByteArray::fromStdString(xml));
    if (!root) {
        m_error = parser.Error();
        tirk::log::FileFault(name, m_error);
    }
    return root;
}
