// Classes that layouts and the control factory name but that the program
// never gives data, a window or a list: empty controls of the same kind keep
// such layouts loading.
#pragma once

#include "ui/control.h"
#include "ui/list.h"

/// A chart area: a plain control.
class CChartViewUI : public CControlUI {
public:
    std::string GetClass() const override { return "ChartView"; }
};

/// A host for a native window: a plain control.
class CWndUI : public CControlUI {
public:
    std::string GetClass() const override { return "Wnd"; }
};

/// A row of the cloud-share list: a list container element.
class CCloudShareListItemUI : public CListContainerElementUI {
public:
    std::string GetClass() const override { return "CloudShareListItem"; }
};
