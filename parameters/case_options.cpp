#include "parameters/case_options.h"

#include <string>

#include "core/diagnostics.h"
#include "core/file_services.h"
#include "core/text_utils.h"
#include "parameters/csv_tables.h"
#include "platform/format.h"

namespace {

constexpr std::string_view kRecord = "$PARAMETERS record: ";

// Messages of PAROPT are held in a 350-character field.
void report_option(std::string message, int code) {
  if (message.size() > 350) message.resize(350);
  SETERX(message, 3, code, "PAROPT");
}

bool starts_with(std::string_view piece, std::string_view name) {
  return piece.size() >= name.size() && piece.substr(0, name.size()) == name;
}

// Decodes one option piece (trailing blanks already dropped); returns the
// code of a malformed piece, 0 for a good one.
int decode_piece(std::string_view piece, int& check, int& parmonly, int& output_multiple, int& csv_requested,
                 int& csv_multiple, int& gff_requested, int& tmd_requested, int& output_from_v2,
                 plat::TextRef csv_list, plat::TextRef gff_list, plat::TextRef tmd_list) {
  const std::size_t used = piece.size();
  if (piece == "PARMONLY") {
    parmonly = 1;
    return 0;
  }
  if (piece == "CHECK") {
    check = 1;
    return 0;
  }
  if (starts_with(piece, "OUTPUT_FROM")) {
    const std::string_view v = piece.substr(11);
    if (v == "=OUTPUTS") {
      output_from_v2 = 0;
    } else if (v == "=VARIABLES2") {
      output_from_v2 = 1;
    } else {
      report_option(
          std::string(kRecord) +
              "Unrecognised OUTPUT_FROM option value@Should be either OUTPUTS or VARIABLES2 (without quotes)",
          1);
      return 1;
    }
    return 0;
  }
  if (starts_with(piece, "OUTPUT")) {
    const std::string_view v = piece.substr(6);
    if (v == "=SINGLE") {
      output_multiple = 0;
    } else if (v == "=MULTIPLE") {
      output_multiple = 1;
    } else {
      report_option(std::string(kRecord) +
                        "Unrecognised OUTPUT option value@Should be either SINGLE or MULTIPLE (without quotes)",
                    2);
      return 2;
    }
    return 0;
  }
  // A quoted list: "=' at characters 13-14 and a quote as the last
  // character (a lone opening quote there gives an empty list).
  auto quoted = [&](char open, char close) {
    return used >= 14 && piece[12] == '=' && piece[13] == open && piece[used - 1] == close;
  };
  auto between_quotes = [&] { return used > 15 ? piece.substr(14, used - 15) : std::string_view(); };
  if (starts_with(piece, "GFF_ENTITIES")) {
    if (!quoted('\'', '\'')) {
      report_option(std::string(kRecord) + "Unrecognised GFF_ENTITIES option format@" + std::string(piece), 3);
      return 3;
    }
    gff_requested = 1;
    gff_list = between_quotes();
    return 0;
  }
  if (starts_with(piece, "CSV_OUTPUT")) {
    const std::string_view v = piece.substr(10);
    if (v == "=SINGLE") {
      csv_multiple = 0;
    } else if (v == "=MULTIPLE") {
      csv_multiple = 1;
    } else {
      report_option(std::string(kRecord) +
                        "Unrecognised CSV_OUTPUT option value@Should be either SINGLE or MULTIPLE (without quotes)",
                    4);
      return 4;
    }
    return 0;
  }
  if (starts_with(piece, "CSV_ENTITIES")) {
    if (!quoted('(', ')')) {
      report_option(std::string(kRecord) + "Unrecognised CSV_ENTITIES option format@" + std::string(piece), 5);
      return 5;
    }
    csv_requested = 1;
    csv_list = piece.substr(13);
    return 0;
  }
  if (starts_with(piece, "TMD_ENTITIES")) {
    if (!quoted('\'', '\'')) {
      report_option("Invalid TMD_ENTITIES format@Parsing parameter-case options@Input is:<NL>  " +
                        std::string(piece) + "<NL>Correct format is:<NL>  TMD_ENTITIES = '...'@" +
                        "$PARAMETERS line in parameter-case file",
                    6);
      return 6;
    }
    tmd_requested = 1;
    tmd_list = between_quotes();
    return 0;
  }
  report_option(std::string(kRecord) + "Unrecognised option@" + std::string(piece), 7);
  return 7;
}

}  // namespace

void PAROPT(std::string_view record, int& check, int& parmonly, int& output_multiple, int& csv_requested,
            int& csv_multiple, int& gff_requested, int& tmd_requested, int& output_from_v2, plat::TextRef csv_list,
            plat::TextRef gff_list, plat::TextRef tmd_list, int& ierr) {
  check = 0;
  parmonly = 0;
  ierr = 0;
  // The record is a 256-character field.
  const std::string rec = plat::Text<256>(record).str();
  if (plat::text_eq(rec, "$PARAMETERS")) return;
  if (rec.compare(0, 12, "$PARAMETERS,") != 0) {
    ierr = 8;
    report_option(std::string(kRecord) + "Unrecognised statement@" + rec, 8);
    return;
  }
  std::size_t pos = 13;  // one-based start of the next piece
  LoopGuard guard("PAROPT");
  for (;;) {
    guard.pass();
    const std::string_view rest = std::string_view(rec).substr(pos - 1);
    int comma = 0;
    SBQNDX(rest, ",", comma);
    const std::string_view piece =
        plat::trimmed(comma > 0 ? rest.substr(0, static_cast<std::size_t>(comma - 1)) : rest);
    const int code = decode_piece(piece, check, parmonly, output_multiple, csv_requested, csv_multiple,
                                  gff_requested, tmd_requested, output_from_v2, csv_list, gff_list, tmd_list);
    if (code != 0) ierr = code;
    if (comma == 0) return;
    pos += static_cast<std::size_t>(comma);
    if (pos > rec.size()) {
      // A comma in the last column leaves an empty last piece.
      const int last = decode_piece("", check, parmonly, output_multiple, csv_requested, csv_multiple, gff_requested,
                                    tmd_requested, output_from_v2, csv_list, gff_list, tmd_list);
      if (last != 0) ierr = last;
      return;
    }
  }
}

void PARFIL(int parmonly, std::string_view model_name, int csv_multiple, int case_number, int csv_requested,
            std::string_view csv_list, plat::TextRef stem, std::string_view parnam, int output_multiple,
            int print_unit, int csv_unit, int& ierr) {
  ierr = 0;
  const std::string model8(plat::trimmed(model_name.substr(0, std::min<std::size_t>(8, model_name.size()))));

  // The case name as it goes into file names: up to its last non-blank,
  // every character other than a letter, a digit, ".", "_", "+" or "-" is
  // made "-" (inner blanks included), and so is every point of a run of two
  // or more, so that no case name leads into another folder ("/", "..").
  plat::Text<24> label(parnam);
  const std::size_t used = plat::len_trim(label.view());
  char* const c = label.data();
  auto safe = [](char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '.' ||
           ch == '_' || ch == '+' || ch == '-';
  };
  for (std::size_t i = 0; i < used; ++i)
    if (!safe(c[i])) c[i] = '-';
  for (std::size_t i = 0; i + 1 < used; ++i) {
    if (c[i] != '.' || c[i + 1] != '.') continue;
    std::size_t j = i;
    while (j < used && c[j] == '.') c[j++] = '-';
    i = j - 1;
  }

  plat::Text<5> digits;
  plat::write_internal(digits, "(I5)", case_number + 10000);
  std::string name = model8 + "_PAR" + std::string(digits.view().substr(1, 4));
  if (used > 0) name += "_" + std::string(label.view().substr(0, used));
  stem = std::string_view(name);
  const std::string stem_text(plat::trimmed(stem.view()));

  int status = 0;
  if (output_multiple == 1) {
    SOPSQ(stem_text + ".out", "FORMATTED", "UNKNOWN", print_unit, status);
    ierr = status;
  }
  if (csv_requested == 0 || ierr != 0) return;

  std::string csv_name;
  const std::string per_run = model8 + "_PAR.csv";
  const std::string per_case = stem_text + ".csv";
  if (case_number == 0) {
    csv_name = csv_multiple == 0 ? per_run : per_case;
  } else if (parmonly != 0 && case_number == 1 && csv_multiple == 0) {
    csv_name = per_run;
  } else if (csv_multiple == 0) {
    return;  // the table of the run stays open
  } else {
    csv_name = per_case;
  }
  SOPSQ(csv_name, "FORMATTED", "UNKNOWN", csv_unit, status);
  ierr = status;
  if (status == 0) PARHDC(csv_list, 1, csv_unit, ierr);
}
