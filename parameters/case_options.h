// The options record of the parameter-case file and the files of each case.
#pragma once

#include <string_view>

#include "platform/text.h"

// Decodes the options record (256 characters, blanks outside quotes already
// removed): "$PARAMETERS" alone, or "$PARAMETERS," and comma-separated options
// PARMONLY, CHECK, OUTPUT_FROM=OUTPUTS|VARIABLES2, OUTPUT=SINGLE|MULTIPLE,
// GFF_ENTITIES='...', CSV_OUTPUT=SINGLE|MULTIPLE, CSV_ENTITIES=(...),
// TMD_ENTITIES='...'. The word arguments are PARNUM words 6, 3, 1, 4, 7 and 5;
// only the options given change them (the last occurrence wins). Every
// malformed option is reported (severity 3); ierr is the code of the last one
// (1..7), 8 for a record that is no $PARAMETERS record, 0 when all is well.
void PAROPT(std::string_view record, int& check, int& parmonly, int& output_multiple, int& csv_requested,
            int& csv_multiple, int& gff_requested, int& tmd_requested, int& output_from_v2, plat::TextRef csv_list,
            plat::TextRef gff_list, plat::TextRef tmd_list, int& ierr);

// Builds the file stem of case `case_number` (model8 + "_PAR" + four digits +
// "_" + the case name with inner blanks, every other character that is not a
// letter, digit, ".", "_", "+" or "-", and every run of points made "-"; the
// name itself is not changed), re-connects the print unit
// to stem + ".out" when output_multiple is 1, and opens the CSV table (one per
// run: model8 + "_PAR.csv"; one per case: stem + ".csv") on csv_unit with its
// heading when CSV output is requested. ierr is the status of the open
// (reported by SOPSQ) or of the heading (reported by PARHDC).
void PARFIL(int parmonly, std::string_view model_name, int csv_multiple, int case_number, int csv_requested,
            std::string_view csv_list, plat::TextRef stem, std::string_view parnam, int output_multiple,
            int print_unit, int csv_unit, int& ierr);
