// udev rules that let the logged-in user open the hidraw nodes of every device
// in the identity tables, generated from those tables so they cannot drift.
#pragma once

#include <string>

#include "device/device_table.h"

namespace tirk {

/// The text of packaging/70-vorpaline-tirk.rules for `tables`: one rule per
/// distinct non-zero vendor/product pair of the candidates, in table order,
/// each tagging the hidraw node with "uaccess".
std::string MakeUdevRules(const DeviceTables& tables);

}  // namespace tirk
