// udev rules that let the logged-in user open the hidraw nodes of every device
// in the identity tables, generated from those tables so they cannot drift.
#pragma once

#include <string>
#include <string_view>

#include "device/device_table.h"

namespace tirk {

/// The text of packaging/70-vorpaline-tirk.rules for `tables`: one rule per
/// distinct non-zero vendor/product pair of the candidates, in table order,
/// each tagging the hidraw node with "uaccess". When `userTable` is given the
/// tables hold that user file's additions too, and the header says so.
std::string MakeUdevRules(const DeviceTables& tables, std::string_view userTable = {});

}  // namespace tirk
