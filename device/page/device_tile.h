// What the device object needs of its tile in the device list. The tile class
// belongs to device discovery; the device's tile timers only show or hide the
// tile, ask whether it is selected and have its icon repainted.
#pragma once

class IDeviceTile {
public:
    virtual ~IDeviceTile() = default;
    /// True while the tile is shown in the device list.
    virtual bool IsShown() const = 0;
    /// Marks the device online (the tile is shown and selectable) or offline
    /// (the tile is hidden, and another tile takes the selection).
    virtual void SetOnline(bool online) = 0;
    /// True while the tile is the selected one.
    virtual bool IsSelected() const = 0;
    /// Repaints the tile's icon (the preview of the device's light).
    virtual void RepaintIcon() = 0;
};
