#pragma once

#include "ui/container.h"

class CShootControlUI : public CHorizontalLayoutUI {
public:
    std::string GetClass() const override { return "ShootControl"; }
    void InitShootPage(const std::string& deviceFolder, const std::string& defaultFolder) {
        m_deviceFolder = deviceFolder;
        m_defaultFolder = defaultFolder;
    }

private:
    std::string m_deviceFolder;
    std::string m_defaultFolder;
};
