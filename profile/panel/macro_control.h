#pragma once

#include "ui/button.h"
#include "ui/container.h"

class CMacroControlUI : public CHorizontalLayoutUI {
public:
    std::string GetClass() const override { return "MacroControl"; }
    void SetDeviceFolder(const std::string& folder) { m_folder = folder; }
    void LoadMacroList() {}

private:
    std::string m_folder;
};

class CRedioMacroButtonUI : public CButtonUI {
public:
    std::string GetClass() const override { return "RedioMacroButton"; }
};
