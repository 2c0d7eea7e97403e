// Building a layout whose root must be one custom control class (a device
// tile, a power tile, a device page).
#pragma once

#include <memory>
#include <string>

#include "core/log.h"
#include "ui/control.h"
#include "ui/dialog_builder.h"
#include "ui/internal/attributes.h"

namespace tirk::ui {

/// Answers the element `Root::kClassName` (and its "C…UI" class name) with a
/// new Root, so that such a layout loads whether or not the class is
/// registered with the control factory.
template <typename Root>
class RootClassAnswer : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const std::string& className) override {
        const std::string element = Root::kClassName;
        if (EqualsNoCase(className, element) || EqualsNoCase(className, "C" + element + "UI"))
            return new Root;
        return nullptr;
    }
};

/// Builds `file` with `manager` (may be nullptr), asking `callback` for the
/// classes the loader does not know. Returns the root, owned by the caller,
/// when it is a Root; otherwise nullptr with `error` (may be nullptr) set to
/// the loader's message or to the wrong root class.
template <typename Root>
Root* BuildLayoutOf(const std::string& file, IDialogBuilderCallback& callback,
                    CPaintManagerUI* manager, std::string* error) {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(file, &callback, manager));
    std::string problem = builder.GetError();
    auto* typed = dynamic_cast<Root*>(root.get());
    if (root && !typed) {
        problem = file + ": the root element is <" + root->GetClass() + ">, not <" +
                  Root::kClassName + ">";
        tirk::log::FileFault(file, problem);  // the loader logged its own failures
    }
    if (error) *error = typed ? std::string() : problem;
    if (!typed) return nullptr;
    root.release();
    return typed;
}

/// As above, with Root's own element name answered (RootClassAnswer).
template <typename Root>
Root* BuildLayoutOf(const std::string& file, CPaintManagerUI* manager, std::string* error) {
    RootClassAnswer<Root> answer;
    return BuildLayoutOf<Root>(file, answer, manager, error);
}

}  // namespace tirk::ui
