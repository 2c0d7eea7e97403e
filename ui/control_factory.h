// Application-wide table of custom control classes. The layout loader asks
// it for every element class it does not build itself, before asking the
// window's CreateControl.
#pragma once

#include <functional>
#include <map>
#include <string>

class CControlUI;

class CControlFactory {
public:
    /// Returns a new control owned by the caller.
    using Creator = std::function<CControlUI*()>;

    static CControlFactory* GetInstance();

    /// Registers (or replaces) the creator for `className`. Names are
    /// compared without regard to case. An element <Foo> matches a class
    /// registered as "Foo" or as "CFooUI".
    void RegistControl(const std::string& className, Creator creator);
    /// A new control for `className` (owned by the caller), or nullptr when
    /// no creator matches or the creator answers nullptr.
    CControlUI* CreateControl(const std::string& className) const;
    bool IsRegistered(const std::string& className) const;
    /// Forgets every creator (for tests and shutdown).
    void RemoveAll() { m_creators.clear(); }

private:
    const Creator* Find(const std::string& className) const;
    std::map<std::string, Creator> m_creators;  // key: lower-case name
};
