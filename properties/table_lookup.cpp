#include "properties/table_lookup.h"

#include "core/diagnostics.h"
#include "modeldata/submodel_refs.h"
#include "platform/text.h"
#include "properties/library_constants.h"

void prop_range_warning(int node, std::string_view text, std::string_view routine) {
  plat::Text<prop_const::kTableMessageLength> msg(text);
  MESBLD(node, msg);
  SETERX(msg.view(), 2, 1, routine);
}
