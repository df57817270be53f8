// Entity names at the start of references, and quoted texts.
#include "parameters/case_texts.h"

#include <algorithm>
#include <string>

#include "core/diagnostics.h"
#include "core/global_records.h"
#include "core/text_utils.h"
#include "modeldata/entity_codes.h"

namespace {

// Whether the first b characters of str (b <= str.size()) equal name(1:b).
bool starts_with(std::string_view str, std::string_view name, int b) {
  return str.substr(0, static_cast<std::size_t>(b)) == name.substr(0, static_cast<std::size_t>(b));
}

}  // namespace

void ENTFND(std::string_view str, plat::TextRef name, int& code, int& lm) {
  if (name.size() > 0) name.fill_blank();
  code = 0;
  lm = 0;
  const int l = STRLNA(str);

  for (int c = 1; c <= ent_count; ++c) {
    const std::string_view mnemonic = ent_mnemonic(c);
    const int b = static_cast<int>(mnemonic.size());
    if (b < 1 || l < b || b <= lm) continue;
    if (!str.starts_with(mnemonic)) continue;
    code = c;
    lm = b;
    if (name.size() > 0) name = mnemonic;
  }

  // User-defined entities: reals (SPRSIZ word 5), integers (4), characters (3),
  // columns 1, 2, 3 of SPRNOD. Never read beyond the name table.
  const int rows = SPRSIZ(1);
  const int counts[3] = {std::max(0, SPRSIZ(5)), std::max(0, SPRSIZ(4)), std::max(0, SPRSIZ(3))};
  int index = 0;
  for (int kind = 1; kind <= 3; ++kind) {
    for (int p = 1; p <= counts[kind - 1]; ++p) {
      ++index;
      const long long at = static_cast<long long>(kind - 1) * rows + p;
      if (rows < 1 || p > rows || at > SprnodRecord::capacity) continue;
      const std::string_view entity = SPRNOD(static_cast<int>(at)).view();
      const int b = STRLNA(entity);
      if (b < 1 || l < b || b <= lm) continue;
      if (!starts_with(str, entity, b)) continue;
      code = -index;
      lm = b;
      if (name.size() > 0) name = entity.substr(0, static_cast<std::size_t>(b));
    }
  }
}

void PARZVL(std::string_view str, plat::TextRef value, int& ierr) {
  ierr = 0;
  const int l = STRLNA(str);
  if (l >= 2 && str[0] == '\'' && str[static_cast<std::size_t>(l - 1)] == '\'') {
    value = str.substr(1, static_cast<std::size_t>(l - 2));
    return;
  }
  ierr = 1;
  std::string message = "String is not delimited with single quotes@>>";
  message.append(str);
  message.append("<<");
  message.resize(300, ' ');
  SETERX(message, 3, 1, "PARZVL");
}
