// File naming and opening: the run-file names built from the model name, the
// one routine that opens every unit file of the system, closing with a
// disposition, existence enquiries and buffer flushes.
//
// TextVec1/CTextVec1 (platform/text_vec.h), the view of an array of texts of
// one length, come with this header: the name routines take them.
#pragma once

#include <string>
#include <string_view>

#include "platform/text.h"
#include "platform/text_vec.h"

// Builds the first `count` run-file names (model-name stem + extension) into
// the elements of `names` (element length chosen by the caller). status 0;
// 1 when count exceeds the 23 extensions (or the elements of names); -1 when
// the model name is blank, has a blank inside its first eight characters
// before a non-blank, or the stem and extension do not fit an element.
void SFLNAM(std::string_view model_name, int count, TextVec1 names, int& status);

// Opens the named sequential file on unit. form "FORMATTED"/"UNFORMATTED",
// open_status "OLD"/"UNKNOWN"; status 0, 1 (blank name, nothing done), or the
// positive error number of the open (after the "Error opening file@" box) or
// of the rewind that follows it.
void SOPSQ(std::string_view file_name, std::string_view form, std::string_view open_status, int unit, int& status);

// Closes unit with disposition "KEEP" or "DELETE". A unit not connected is no
// error. A failed close prints the "File closing error has occurred@" box.
void SCLFIL(std::string_view close_status, int unit, int& status);

// exists := 1 when any of the first count names names an existing file
// (blank names skipped); status is the error of a failed enquiry.
void SFLXST(CTextVec1 names, int count, int& exists, int& status);

// Whether the model database file of the model exists; status 1 when its
// name cannot be built.
void SMODCH(std::string_view model_name, int& exists, int& status);

// Opens the model database file of the model unformatted "OLD" on unit;
// status -1 when its name cannot be built, else as SOPSQ.
void SOPEXT(std::string_view model_name, int unit, int& status);

// Writes the unit's buffered output to its file.
void EFLUSH(int unit);

// target := source, cut or blank-padded; a target of length 0 is left alone.
void SFLDEP(std::string_view source, plat::TextRef target);

namespace filesvc {
// The 220-character message texts of the open and close failure boxes
// (exposed so that their exact layout can be checked).
std::string open_message(std::string_view file_name, int unit, int error);
std::string close_message(std::string_view connected_name, int unit, int error);
// The shown part of a connected file name: after the first "]" (from the start
// when there is none) up to the character before the first blank.
std::string_view shown_name(std::string_view connected_name);
// Integer right-aligned in `width` columns, asterisks when it does not fit
// (the fixed-width integer field of the system's messages).
std::string int_field(long long value, int width);
}  // namespace filesvc
