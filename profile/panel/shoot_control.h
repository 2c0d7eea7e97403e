#pragma once

#include "ui/container.h"

class CShootControlUI : public CHorizontalLayoutUI {
public:
    std::string GetClass() const override { return "ShootControl"; }
};
