#pragma once

#include "ui/button.h"
#include "ui/container.h"

class CMacroControlUI : public CHorizontalLayoutUI {
public:
    std::string GetClass() const override { return "MacroControl"; }
};

class CRedioMacroButtonUI : public CButtonUI {
public:
    std::string GetClass() const override { return "RedioMacroButton"; }
};
