// The string resources: the tooltip texts of the main dialog.
#pragma once

namespace res {

// The text of string resource `id`; nullptr when there is none.
const char* LoadString(int id);

}  // namespace res
