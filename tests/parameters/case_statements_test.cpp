// The statements of one case read from the case file: command words and
// their abbreviations, comments, the split into reference and value, the
// kinds of reference and what each applier changes, with the exact echo,
// messages and error count.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "case_fixture.h"
#include "casedata/status_flag.h"
#include "core/char_pool.h"
#include "core/control_constants.h"
#include "modeldata/global_arrays.h"
#include "modeldata/node_lists.h"
#include "parameters/case_appliers.h"
#include "parameters/case_statements.h"

namespace paramcases_test {
namespace {

using Messages = std::vector<std::tuple<std::string, int, int, std::string>>;

struct StatementCase {
  std::string lines;  // the case's statement lines
  std::string echo;   // the echo lines expected before the messages
  Messages messages;  // the diagnostics, in order
  int nerr;
  std::function<void()> check;  // what the statements changed
  std::string after{};          // echo lines expected after the messages
};

// Characters first..first+n-1 (one-based pool positions) of a text pool.
std::string pool_text(const plat::Array1<plat::Text<133>>& pool, int first, int n) {
  std::string s;
  for (int p = first; p < first + n; ++p) s.push_back(pool((p - 1) / 133 + 1).c[(p - 1) % 133]);
  return s;
}

class StatementsTest : public CaseTest {
 protected:
  // Reads the case from `lines` and returns what it printed.
  std::string run(const std::string& lines, int& nerr, int& eof, std::string& next) {
    open_cases(lines);
    plat::Text<256> line;
    int length = -1;
    const std::string out = printed([&] { PARAMC(3, 6, nerr, eof, line.ref(), length); });
    next = length >= 0 ? std::string(line.view().substr(0, static_cast<std::size_t>(length))) : "";
    return out;
  }
};

TEST_F(StatementsTest, TableOfStatements) {
  const std::vector<StatementCase> cases = {
      // Command words, abbreviations, blanks and comments.
      {"CHANGE T1 = 2*3\n", " CHANGE  T1=2*3\n", {}, 0, [] { EXPECT_EQ(gar_thermalnodetemps(1), 6.0); }},
      {"CHA T1 = 3\n", " CHANGE  T1=3\n", {}, 0, [] { EXPECT_EQ(gar_thermalnodetemps(1), 3.0); }},
      {"C T 1=4\n", " CHANGE  T1=4\n", {}, 0, [] { EXPECT_EQ(gar_thermalnodetemps(1), 4.0); }},
      {"\n      \n  # a comment\n   S T2 * 1.5   # half as much again\n",
       " SCALE   T2*1.5\n",
       {},
       0,
       [] { EXPECT_EQ(gar_thermalnodetemps(2), 30.0); }},
      // A tab is not a blank: neither before the command nor after it.
      {"\tS T2 * 1.5\n", "", {{"Unrecognised Parameter Case command@\tS T2 * 1.5", 3, 2, "PARRD"}}, 1, nullptr},
      {"S\tT2 * 1.5\n", "", {{"Unrecognised Parameter Case command@S\tT2 * 1.5", 3, 2, "PARRD"}}, 1, nullptr},
      {"CHANGET1=3\n",
       "",
       {{"Unrecognised Parameter Case command@CHANGET1=3", 3, 2, "PARRD"}},
       1,
       [] { EXPECT_EQ(gar_thermalnodetemps(1), 10.0); }},
      {"change T1=3\n", "", {{"Unrecognised Parameter Case command@change T1=3", 3, 2, "PARRD"}}, 1, nullptr},
      {"O GL(1,2)\n", "", {{"Unrecognised Parameter Case command@O GL(1,2)", 3, 2, "PARRD"}}, 1, nullptr},
      {"ONX GL(1,2)\n", "", {{"Unrecognised Parameter Case command@ONX GL(1,2)", 3, 2, "PARRD"}}, 1, nullptr},
      {"CHANGE T1\n", " CHANGE  T1\n", {{"Invalid statement@T1", 3, 3, "PARAMC"}}, 1, nullptr},
      {"SCALE T1 = 2\n", " SCALE   T1=2\n", {{"Invalid statement@T1=2", 3, 3, "PARAMC"}}, 1, nullptr},
      // Conductors: ON, OFF and values.
      {"OF GL(1,2)\n",
       " OFF     GL(1,2)\n",
       {},
       0,
       [] {
         EXPECT_EQ(gar_linearcondacts(1), "I");
         EXPECT_EQ(gar_linearcondacts(2), "I");
         EXPECT_EQ(gar_linearcondacts(3), "A");
       }},
      {"OFF GL(2,3)\nON GL(2,3)\n",
       " OFF     GL(2,3)\n ON      GL(2,3)\n",
       {},
       0,
       [] { EXPECT_EQ(gar_linearcondacts(3), "A"); }},
      {"CHANGE GL(1,2) = OFF\n", " CHANGE  GL(1,2)=OFF\n", {}, 0, [] { EXPECT_EQ(gar_linearcondacts(2), "I"); }},
      {"ON GV(1,2)\n", " ON      GV(1,2)\n", {{"Cannot change status of GVs", 3, 9, "PARCND"}}, 1, nullptr},
      {"GET SUB1\nOFF GP('#12',13)\n",
       " GET     SUB1\n OFF     GP('#12',13)\n",
       {{"Cannot change status of GPs", 3, 10, "PARCND"}},
       1,
       [] { EXPECT_EQ(gar_massflowlinkstatuses(1), "A"); }},
      {"OFF GP(1,2)\n", " OFF     GP(1,2)\n", {{"Cannot change status of GPs", 3, 10, "PARCND"}}, 1, nullptr},
      // Node 12 of SUB1 is a thermal node; its fluid node 12 needs the "#" list.
      {"GET SUB1\nOFF M(12,13)\n",
       " GET     SUB1\n OFF     M(12,13)\n",
       {{"No matching conductors found", 3, 11, "PARCND"}},
       1,
       nullptr},
      {"GET SUB1\nOFF M('#12',13)\n",
       " GET     SUB1\n OFF     M('#12',13)\n",
       {},
       0,
       [] { EXPECT_EQ(gar_massflowlinkstatuses(1), "I"); }},
      {"OFF GL(1,3)\n", " OFF     GL(1,3)\n", {{"No matching conductors found", 3, 11, "PARCND"}}, 1, nullptr},
      {"OFF GL\n", " OFF     GL\n", {{"Invalid conductor reference@GL", 3, 2, "PARAMC"}}, 1, nullptr},
      {"CHANGE GL(1,2) = 7\n",
       " CHANGE  GL(1,2)=7\n",
       {},
       0,
       [] {
         EXPECT_EQ(gar_linearconds(1), 7.0);
         EXPECT_EQ(gar_linearconds(2), 7.0);
         EXPECT_EQ(gar_linearconds(3), 1.5);
       }},
      {"CHANGE GL(1,2,2) = 9\n",
       " CHANGE  GL(1,2,2)=9\n",
       {},
       0,
       [] {
         EXPECT_EQ(gar_linearconds(1), 0.5);
         EXPECT_EQ(gar_linearconds(2), 9.0);
       }},
      {"SCALE GL(2,3) * 4\n", " SCALE   GL(2,3)*4\n", {}, 0, [] { EXPECT_EQ(gar_linearconds(3), 6.0); }},
      {"CHANGE GL:SUB1:(1,2) = 3\n",
       " CHANGE  GL:SUB1:(1,2)=3\n",
       {},
       0,
       [] { EXPECT_EQ(gar_linearconds(4), 3.0); }},
      {"GET SUB1\nCHANGE GL(1,2) = 8\n",
       " GET     SUB1\n CHANGE  GL(1,2)=8\n",
       {},
       0,
       [] {
         EXPECT_EQ(gar_linearconds(4), 8.0);
         EXPECT_EQ(gar_linearconds(1), 0.5);
       }},
      {"CHANGE GL(4,5) = 1\n",
       " CHANGE  GL(4,5)=1\n",
       {{"No matching conductors found", 3, 11, "PARCND"}},
       1,
       nullptr},
      {"CHANGE GL(1,2) = X\n",
       " CHANGE  GL(1,2)=X\n",
       {{"Assigned value is not recognised as a real@X", 3, 3, "PARRVL"}},
       1,
       [] { EXPECT_EQ(gar_linearconds(1), 0.5); }},
      {"CHANGE A(2) = 1\n",
       " CHANGE  A(2)=1\n",
       {{"Invalid entity type - not a conductor", 3, 1, "PARCND"}},
       1,
       nullptr},
      // Node entities.
      {"GET SUB1\nCHANGE T12 = 5\n",
       " GET     SUB1\n CHANGE  T12=5\n",
       {},
       0,
       [] { EXPECT_EQ(gar_thermalnodetemps(10), 5.0); }},
      {"CHANGE T:SUB1:12 = 6\n", " CHANGE  T:SUB1:12=6\n", {}, 0, [] { EXPECT_EQ(gar_thermalnodetemps(10), 6.0); }},
      {"GET SUB1\nGET 0\nCHANGE T1 = 6\n",
       " GET     SUB1\n GET     0\n CHANGE  T1=6\n",
       {},
       0,
       [] {
         EXPECT_EQ(gar_thermalnodetemps(1), 6.0);
         EXPECT_EQ(gar_thermalnodetemps(7), 70.0);
       }},
      {"GET NOSUCH\nCHANGE T1 = 6\n",
       " GET     NOSUCH\n",
       {{"Unrecognised submodel name@NOSUCH", 3, 1, "PARAMC"}},
       1,
       [] { EXPECT_EQ(gar_thermalnodetemps(1), 6.0); },
       " CHANGE  T1=6\n"},
      {"CHANGE C:* = 5\n",
       " CHANGE  C:*=5\n",
       {{"Fluid nodes selected for thermal only entity or vice versa", 2, 7, "PARNOD"}},
       0,
       [] {
         for (int n = 1; n <= params_test::kNT; ++n) EXPECT_EQ(gar_thermalnodecapacitances(n), 5.0) << n;
       }},
      {"CHANGE C100 = 5\n",
       " CHANGE  C100=5\n",
       {{"Fluid nodes selected for thermal only entity or vice versa", 3, 7, "PARNOD"}},
       1,
       nullptr},
      {"CHANGE P100 = 2E5\n", " CHANGE  P100=2E5\n", {}, 0, [] { EXPECT_EQ(gar_fluidnodepressures(1), 2e5); }},
      {"CHANGE L1 = 'New label'\n",
       " CHANGE  L1='New label'\n",
       {},
       0,
       [] { EXPECT_EQ(gar_thermalnodelabels(1), "New label"); }},
      {"CHANGE L1 = New label\n",
       " CHANGE  L1=Newlabel\n",
       {{"String is not delimited with single quotes@>>Newlabel<<", 3, 1, "PARZVL"}},
       1,
       [] { EXPECT_EQ(gar_thermalnodelabels(1), "PANEL A"); }},
      {"SCALE L1 * '2'\n", " SCALE   L1*'2'\n", {{"Cannot SCALE character data", 3, 2, "PARNOD"}}, 1, nullptr},
      {"SCALE FT100 * '2'\n", " SCALE   FT100*'2'\n", {{"Cannot SCALE character data", 3, 3, "PARNOD"}}, 1, nullptr},
      {"CHANGE FRG100 = 'ANNULAR'\n",
       " CHANGE  FRG100='ANNULAR'\n",
       {},
       0,
       [] { EXPECT_EQ(gar_fluidnodeflowregimes(1), "ANNU"); }},
      {"CHANGE X1 = X\nSCALE D2 * 2\n",
       " CHANGE  X1=X\n SCALE   D2*2\n",
       {{"Cannot SCALE node status", 3, 8, "PARNOD"}},
       1,
       [] {
         EXPECT_EQ(gar_thermalnodestatuses(1), "X");
         EXPECT_EQ(gar_thermalnodestatusescopy(1), "X");
         EXPECT_EQ(gar_thermalnodestatuses(2), "D");
       }},
      {"CHANGE ZZB1 = 3\n",
       " CHANGE  ZZB1=3\n",
       {{"Invalid or unrecognised entity type", 3, 6, "PARNOD"}},
       1,
       nullptr},
      {"CHANGE T99 = 3\n",
       " CHANGE  T99=3\n",
       {{"Node node found", 2, 1, "INTNOD"},
        {"Node does not exist in sub-model@Node Number:         99", 3, 3, "PARNDS"}},
       1,
       nullptr},
      // User-defined nodal entities win over shorter mnemonics.
      {"CHANGE HEAT1 = 4\nCHANGE COUNT2 = 9\nCHANGE TAG3 = 'Z'\n",
       " CHANGE  HEAT1=4\n CHANGE  COUNT2=9\n CHANGE  TAG3='Z'\n",
       {},
       0,
       [] {
         EXPECT_EQ(gar_thermalnodeuserentityvalsreal(1, 1), 4.0);
         EXPECT_EQ(gar_thermalnodeuserentityvalsint(2, 1), 9);
         EXPECT_EQ(gar_thermalnodeuserentityvalschar(3, 1), "Z");
         EXPECT_EQ(gar_thermalnodecapacitances(2), 0.0);
       }},
      {"CHANGE HEAT:SUB1:12 = 5\nSCALE HEAT1 * 2\nSCALE MASS:'PANEL' * 2\n",
       " CHANGE  HEAT:SUB1:12=5\n SCALE   HEAT1*2\n SCALE   MASS:'PANEL'*2\n",
       {},
       0,
       [] {
         EXPECT_EQ(gar_thermalnodeuserentityvalsreal(10, 1), 5.0);
         EXPECT_EQ(gar_thermalnodeuserentityvalsreal(1, 1), 2.0);
         EXPECT_EQ(gar_thermalnodeuserentityvalsreal(8, 2), 216.0);
         EXPECT_EQ(gar_fluidnodeuserentityvalsreal(1, 2), 140.0);
         EXPECT_EQ(gar_thermalnodeuserentityvalsreal(3, 2), 103.0);
       }},
      // A user entity name is no command word.
      {"HEAT1 = 5\n",
       "",
       {{"Unrecognised Parameter Case command@HEAT1 = 5", 3, 2, "PARRD"}},
       1,
       [] { EXPECT_EQ(gar_thermalnodeuserentityvalsreal(1, 1), 1.0); }},
      // Arrays.
      {"CHANGE REALA(1,2) = 1.0, 2.0, 3.0\n",
       " CHANGE  REALA(1,2)=1.0,2.0,3.0\n",
       {},
       0,
       [] {
         for (int k = 1; k <= 12; ++k) EXPECT_EQ(gar_arrayvaluesreal(k), k >= 4 && k <= 6 ? k - 3.0 : k) << k;
       }},
      {"CHANGE REALA(2,4) = 1, 2\n",
       " CHANGE  REALA(2,4)=1,2\n",
       {},
       0,
       [] {
         EXPECT_EQ(gar_arrayvaluesreal(11), 1.0);
         EXPECT_EQ(gar_arrayvaluesreal(12), 2.0);
       }},
      {"CHANGE REALA(3,4) = 1, 2\n",
       " CHANGE  REALA(3,4)=1,2\n",
       {{"Too many values specified - will run off end of array", 3, 7, "PARARR"}},
       1,
       [] { EXPECT_EQ(gar_arrayvaluesreal(12), 12.0); }},
      {"SCALE REALA(1,2) * 2.0, 3.0\n",
       " SCALE   REALA(1,2)*2.0,3.0\n",
       {{"Can only supply list of values with CHANGE", 3, 4, "PARARR"}},
       1,
       nullptr},
      {"SCALE REALA(2,*) * 10\n",
       " SCALE   REALA(2,*)*10\n",
       {},
       0,
       [] {
         for (int k = 1; k <= 12; ++k) EXPECT_EQ(gar_arrayvaluesreal(k), k % 3 == 2 ? 10.0 * k : k) << k;
       }},
      {"CHANGE REALA(*,1) = 1, 2\n",
       " CHANGE  REALA(*,1)=1,2\n",
       {{"Cannot specify array reference range (m, *) with more than one value", 3, 6, "PARARR"}},
       1,
       nullptr},
      {"CHANGE INTA(4) = 7, 2*4\n",
       " CHANGE  INTA(4)=7,2*4\n",
       {},
       0,
       [] {
         EXPECT_EQ(gar_arrayvaluesint(3), 30);
         EXPECT_EQ(gar_arrayvaluesint(4), 7);
         EXPECT_EQ(gar_arrayvaluesint(5), 8);
       }},
      {"CHANGE INTA(5) = 1, 2\n",
       " CHANGE  INTA(5)=1,2\n",
       {{"Too many values specified - will run off end of array", 3, 5, "PARARR"}},
       1,
       nullptr},
      {"SCALE INTA(1) * 2\n", " SCALE   INTA(1)*2\n", {{"Cannot scale integer values", 3, 4, "PARARR"}}, 1, nullptr},
      {"CHANGE INTA(*) = 3\n",
       " CHANGE  INTA(*)=3\n",
       {},
       0,
       [] {
         for (int k = 1; k <= 5; ++k) EXPECT_EQ(gar_arrayvaluesint(k), 3);
       }},
      {"CHANGE TEXTA(1) = 'LONGER', 'X'\n",
       " CHANGE  TEXTA(1)='LONGER','X'\n",
       {},
       0,
       [] { EXPECT_EQ(pool_text(gar_arrayvalueschar, 1, 12), std::string("LON\0X \0FGHI\0", 12)); }},
      {"CHANGE TEXTA(2) = 'A,B'\n",
       " CHANGE  TEXTA(2)='A,B'\n",
       {},
       0,
       [] { EXPECT_EQ(pool_text(gar_arrayvalueschar, 1, 7), std::string("ABC\0A,", 7)); }},
      {"CHANGE TEXTA(3) = 'A', 'B'\n",
       " CHANGE  TEXTA(3)='A','B'\n",
       {{"Too many values specified - will run off end of array", 3, 7, "PARARR"}},
       1,
       nullptr},
      {"CHANGE TEXTA(*) = 'Q'\n",
       " CHANGE  TEXTA(*)='Q'\n",
       {},
       0,
       [] { EXPECT_EQ(pool_text(gar_arrayvalueschar, 1, 12), std::string("Q  \0Q \0Q   \0", 12)); }},
      {"SCALE TEXTA(1) * 2\n",
       " SCALE   TEXTA(1)*2\n",
       {{"Cannot scale character values", 3, 4, "PARARR"}},
       1,
       nullptr},
      {"CHANGE NOSUCH(1) = 1\n",
       " CHANGE  NOSUCH(1)=1\n",
       {{"Unrecognised entity name@NOSUCH(1)", 3, 3, "PARARR"}},
       1,
       nullptr},
      {"CHANGE BAD:REALA(1,1) = 1\n",
       " CHANGE  BAD:REALA(1,1)=1\n",
       {{"Unrecognised submodel name@BAD:REALA(1,1)", 3, 1, "PARARR"}},
       1,
       nullptr},
      {"CHANGE SUB1:REALA(1,1) = 1\n",
       " CHANGE  SUB1:REALA(1,1)=1\n",
       {{"Unrecognised entity name@SUB1:REALA(1,1)", 3, 3, "PARARR"}},
       1,
       nullptr},
      // Constants: user constants of the submodel first, then control constants.
      {"CHANGE GAIN = 3\nSCALE GAIN * 2\nCHANGE NCOUNT = 5+5\n",
       " CHANGE  GAIN=3\n SCALE   GAIN*2\n CHANGE  NCOUNT=5+5\n",
       {},
       0,
       [] {
         EXPECT_EQ(gar_userconstvaluesreal(1), 6.0);
         EXPECT_EQ(gar_userconstvaluesint(1), 10);
       }},
      {"CHANGE LABELX = 'ABCDEFG'\n",
       " CHANGE  LABELX='ABCDEFG'\n",
       {},
       0,
       [] { EXPECT_EQ(pool_text(gar_userconstvalueschar, 1, 11), std::string("ABCDE\0#1-3\0", 11)); }},
      {"CHANGE SUB1:TWELVE = 'AB'\n",
       " CHANGE  SUB1:TWELVE='AB'\n",
       {},
       0,
       [] { EXPECT_EQ(pool_text(gar_userconstvalueschar, 134, 3), std::string("AB\0", 3)); }},
      {"CHANGE BAD:GAIN = 1\n",
       " CHANGE  BAD:GAIN=1\n",
       {{"Unrecognised submodel name@BAD:GAIN", 3, 1, "PARCST"}},
       1,
       nullptr},
      {"CHANGE NLOOP = 50+50\nCHANGE RELXCA = 0.001*2\n",
       " CHANGE  NLOOP=50+50\n CHANGE  RELXCA=0.001*2\n",
       {},
       0,
       [] {
         EXPECT_EQ(GLOI.NLOOP, 100);
         EXPECT_EQ(GLOR.RELXCA, 0.001 * 2);
       }},
      {"GET SUB1\nCHANGE NODES = 5\n", " GET     SUB1\n CHANGE  NODES=5\n", {}, 0, [] { EXPECT_EQ(LOCI(1, 2), 5); }},
      {"CHANGE ENBNDM = 1\n",
       " CHANGE  ENBNDM=1\n",
       {{"Unrecognised entity reference@ENBNDM            ", 3, 1, "PARCCT"}},
       1,
       nullptr},
      // The last separator splits.
      {"SCALE T1 * 2*3\n",
       " SCALE   T1*2*3\n",
       {{"Unrecognised entity reference@T1*2", 3, 1, "PARCCT"}},
       1,
       [] { EXPECT_EQ(gar_thermalnodetemps(1), 10.0); }},
      {"CHANGE A = B = 3\n",
       " CHANGE  A=B=3\n",
       {{"Unrecognised entity reference@A=B", 3, 1, "PARCCT"}},
       1,
       nullptr},
      {"CHANGE PARNAM = 'x=1'\n",
       " CHANGE  PARNAM='x=1'\n",
       {{"Unrecognised entity reference@PARNAM='x", 3, 1, "PARCCT"}},
       1,
       nullptr},
      // Values: a factor needs a digit, a minus after "*" or "/" binds to
      // the next operand, an integer must fit 32 bits, a real must be a number.
      {"SCALE T1 *\n",
       " SCALE   T1*\n",
       {{"Assigned value is not recognised as a real@", 3, 3, "PARRVL"}},
       1,
       [] { EXPECT_EQ(gar_thermalnodetemps(1), 10.0); }},
      {"SCALE T2 * -\n",
       " SCALE   T2*-\n",
       {{"Assigned value is not recognised as a real@-", 3, 3, "PARRVL"}},
       1,
       [] { EXPECT_EQ(gar_thermalnodetemps(2), 20.0); }},
      {"SCALE GAIN * .\n",
       " SCALE   GAIN*.\n",
       {{"Assigned value is not recognised as a real@.", 3, 3, "PARRVL"}},
       1,
       [] { EXPECT_EQ(gar_userconstvaluesreal(1), 2.5); }},
      {"CHANGE T1 = 8/-2\nCHANGE NCOUNT = 8/-2/2\n",
       " CHANGE  T1=8/-2\n CHANGE  NCOUNT=8/-2/2\n",
       {},
       0,
       [] {
         EXPECT_EQ(gar_thermalnodetemps(1), -4.0);
         EXPECT_EQ(gar_userconstvaluesint(1), -2);
       }},
      {"CHANGE NLOOP = 65536*65536\n",
       " CHANGE  NLOOP=65536*65536\n",
       {{"Unable to interpret expression@65536*65536", 3, 2, "PARIGT"}},
       1,
       [] { EXPECT_EQ(GLOI.NLOOP, 0); }},
      {"CHANGE INTA(1) = 2147483647\n",
       " CHANGE  INTA(1)=2147483647\n",
       {{"Assigned value is not recognised as an integer@2147483647", 3, 1, "PARIVL"}},
       1,
       [] { EXPECT_EQ(gar_arrayvaluesint(1), 10); }},
      {"CHANGE GAIN = 0/0\n",
       " CHANGE  GAIN=0/0\n",
       {{"Unable to interpret expression@0/0", 3, 2, "PARRGT"}},
       1,
       [] { EXPECT_EQ(gar_userconstvaluesreal(1), 2.5); }},
      {"CHANGE GL(1,2) = 1E300*1E300\n",
       " CHANGE  GL(1,2)=1E300*1E300\n",
       {{"Unable to interpret expression@1E300*1E300", 3, 2, "PARRGT"}},
       1,
       [] { EXPECT_EQ(gar_linearconds(1), 0.5); }},
      {"CHANGE T1 = 1/0\n",
       " CHANGE  T1=1/0\n",
       {},
       0,
       [] { EXPECT_EQ(gar_thermalnodetemps(1), std::numeric_limits<double>::infinity()); }},
      // Errors do not stop the statements that follow; each counts once.
      {"CHANGE T1 = X\nCHANGE T2 = 1\nCHANGE T3\n",
       " CHANGE  T1=X\n",
       {{"Assigned value is not recognised as a real@X", 3, 3, "PARRVL"}},
       2,
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    build_case_fixture();
    GLOI = GloiRecord{};
    GLOR = GlorRecord{};
    int nerr = -1, eof = 0;
    std::string next;
    const std::string out = run(c.lines, nerr, eof, next);
    if (c.lines.rfind("CHANGE T1 = X", 0) == 0) {
      // Messages and echoes interleave: check the count and the effects only.
      EXPECT_NE(out.find(" CHANGE  T2=1\n"), std::string::npos);
      EXPECT_EQ(gar_thermalnodetemps(2), 1.0);
    } else {
      EXPECT_EQ(out, c.echo + boxes(c.messages) + c.after);
    }
    EXPECT_EQ(nerr, c.nerr);
    EXPECT_NE(eof, 0);
    if (c.check) c.check();
  }
}

// A name field holds 18 characters: a longer name names no constant or
// array, even when its first 18 characters are another one's whole name;
// it is refused with the whole name and nothing changes.
TEST_F(StatementsTest, NamesLongerThanANameFieldNameNothing) {
  struct Case {
    std::string line, echo;
    Messages messages;
    double gain, reala1;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {"CHANGE GAINABCDEFGHIJKLMN = 3\n", " CHANGE  GAINABCDEFGHIJKLMN=3\n", {}, 3.0, 1.0},
      {"CHANGE GAINABCDEFGHIJKLMNO = 3\n", " CHANGE  GAINABCDEFGHIJKLMNO=3\n",
       {{"Unrecognised entity reference@GAINABCDEFGHIJKLMNO", 3, 1, "PARCCT"}}, 2.5, 1.0},
      {"SCALE SUB1:GAINABCDEFGHIJKLMNOPQRSTUVWXYZ * 2\n", " SCALE   SUB1:GAINABCDEFGHIJKLMNOPQRSTUVWXYZ*2\n",
       {{"Unrecognised entity reference@GAINABCDEFGHIJKLMNOPQRSTUVWXYZ", 3, 1, "PARCCT"}}, 2.5, 1.0},
      {"CHANGE NLOOPXXXXXXXXXXXXXXX = 3\n", " CHANGE  NLOOPXXXXXXXXXXXXXXX=3\n",
       {{"Unrecognised entity reference@NLOOPXXXXXXXXXXXXXXX", 3, 1, "PARCCT"}}, 2.5, 1.0},
      {"CHANGE REALAABCDEFGHIJKLM(1,1) = 5\n", " CHANGE  REALAABCDEFGHIJKLM(1,1)=5\n", {}, 2.5, 5.0},
      {"CHANGE REALAABCDEFGHIJKLMN(1,1) = 5\n", " CHANGE  REALAABCDEFGHIJKLMN(1,1)=5\n",
       {{"Unrecognised entity name@REALAABCDEFGHIJKLMN(1,1)", 3, 3, "PARARR"}}, 2.5, 1.0},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    build_case_fixture();
    gar_userconstnames(1) = "GAINABCDEFGHIJKLMN";
    gar_arraynames(1) = "REALAABCDEFGHIJKLM";
    int nerr = -1, eof = 0;
    std::string next;
    EXPECT_EQ(run(c.line, nerr, eof, next), c.echo + boxes(c.messages));
    EXPECT_EQ(nerr, c.messages.empty() ? 0 : 1);
    EXPECT_EQ(gar_userconstvaluesreal(1), c.gain);
    EXPECT_EQ(gar_arrayvaluesreal(1), c.reala1);
  }
}

// FLAGS(36) names the first free word of the integer work space: the
// appliers' lists start there, nothing below it is touched, and the top is
// the same afterwards. An impossible top of 0 is refused, never indexed.
TEST_F(StatementsTest, WorkSpaceStartsAtTheFirstFreeWord) {
  auto fill = [] {
    for (std::int64_t i = 1; i <= gar_dynamiccoreint.size(); ++i) gar_dynamiccoreint(i) = -9;
  };
  int status = -1;
  // Node list: NT + NF + 1 = 18 words from the top.
  fill();
  FLAGS(36) = 5;
  FLAGS(28) = 23;
  PARNOD("CHANGE", 2, "1", "7", 1, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(gar_thermalnodetemps(1), 7.0);
  EXPECT_EQ(FLAGS(36), 5);
  for (int w = 1; w <= 4; ++w) EXPECT_EQ(gar_dynamiccoreint(w), -9) << w;
  EXPECT_EQ(gar_dynamiccoreint(5), 1);
  EXPECT_EQ(gar_dynamiccoreint(24), -9);

  FLAGS(28) = 22;
  const std::string short_box = box("Insufficient dynamic core@Increase DYSTOR", 3, 1, "PARNOD");
  EXPECT_EQ(printed([&] { PARNOD("CHANGE", 2, "1", "8", 1, status); }), short_box);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(gar_thermalnodetemps(1), 7.0);
  FLAGS(28) = params_test::kDystor;
  FLAGS(36) = 0;
  EXPECT_EQ(printed([&] { PARNOD("CHANGE", 2, "1", "8", 1, status); }), short_box);
  EXPECT_EQ(FLAGS(36), 0);

  // Conductors: the two node lists of the reference (words 6 and 8, each
  // with its spare word), then the result list from the first free word 9.
  fill();
  FLAGS(36) = 5;
  PARCND("CHANGE", 42, "(1,2)", "OFF", 1, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(FLAGS(36), 5);
  for (int w = 1; w <= 4; ++w) EXPECT_EQ(gar_dynamiccoreint(w), -9) << w;
  EXPECT_EQ(gar_dynamiccoreint(6), 1);
  EXPECT_EQ(gar_dynamiccoreint(8), 2);
  EXPECT_EQ(gar_dynamiccoreint(9), 1);
  EXPECT_EQ(gar_dynamiccoreint(10), 2);
  EXPECT_EQ(gar_linearcondacts(2), "I");
}

// A status changed by a case reaches the remembered node lists that leave
// out inactive nodes, though the status-changed flag stays clear; a list
// that includes inactive nodes is not evaluated again (the node the test
// relabels shows it).
TEST_F(StatementsTest, StatusChangesReachRememberedNodeLists) {
  constexpr int room = params_test::kNT + params_test::kNF;
  auto panels = [](int inclx) {
    std::vector<int> list(room, 0);
    int count = 0, ierr = 0;
    LSCHND(1, room, "BOTH", inclx, "TEST", 1, "PANEL", ierr, plat::Vec1<int>(list.data(), room), count);
    EXPECT_EQ(ierr, 0);
    return params_test::head(list, count);
  };
  const int loop = params_test::kNT + 1;  // fluid node 1, "PANEL LOOP"
  stat_setstatst(0);
  EXPECT_EQ(panels(0), (std::vector<int>{1, 2, 8, loop}));
  EXPECT_EQ(panels(1), (std::vector<int>{1, 2, 8, loop}));
  gar_thermalnodelabels(3) = "PANEL D";

  int nerr = -1, eof = -1;
  std::string next;
  run("CHANGE X2 = X\n", nerr, eof, next);
  EXPECT_EQ(nerr, 0);
  EXPECT_EQ(stat_getstatst(), 0);
  EXPECT_EQ(panels(0), (std::vector<int>{1, 3, 8, loop}));
  EXPECT_EQ(panels(1), (std::vector<int>{1, 2, 8, loop}));

  run("CHANGE X2 = D\n", nerr, eof, next);
  EXPECT_EQ(nerr, 0);
  EXPECT_EQ(panels(0), (std::vector<int>{1, 2, 3, 8, loop}));
  EXPECT_EQ(panels(1), (std::vector<int>{1, 2, 8, loop}));
}

TEST_F(StatementsTest, StopsAtTheNextHeaderAndKeepsIt) {
  int nerr = -1, eof = -1;
  std::string next;
  const std::string out = run("CHANGE T1 = 1\n  ! FINAL = 'Cold step'  # next\nCHANGE T1 = 2\n", nerr, eof, next);
  EXPECT_EQ(out, " CHANGE  T1=1\n");
  EXPECT_EQ(nerr, 0);
  EXPECT_EQ(eof, 0);
  EXPECT_EQ(next, "!FINAL='Cold step'");
  EXPECT_EQ(gar_thermalnodetemps(1), 1.0);
}

TEST_F(StatementsTest, EndOfFileRightAfterTheLastStatement) {
  int nerr = -1, eof = 0;
  std::string next;
  EXPECT_EQ(run("CHANGE T1 = 1", nerr, eof, next), " CHANGE  T1=1\n");
  EXPECT_EQ(nerr, 0);
  EXPECT_NE(eof, 0);
  EXPECT_EQ(gar_thermalnodetemps(1), 1.0);
  EXPECT_EQ(run("", nerr, eof, next), "");
  EXPECT_EQ(nerr, 0);
  EXPECT_NE(eof, 0);
}

// A line holds 256 characters. Text beyond them is never cut off silently: a
// statement line with a non-blank character past column 256 outside a
// comment is in error and changes nothing; a header line fails as a read
// error does and ends the case.
TEST_F(StatementsTest, TextBeyondColumn256IsAnError) {
  auto at = [](std::string head, std::size_t column, const std::string& tail) {
    head.resize(column - 1, ' ');
    return head + tail;
  };
  struct Case {
    std::string line;
    int nerr, eof_is_read_error, ist;  // ist of the message, 0 for none
    double t1;
  };
  // clang-format off
  const std::vector<Case> cases = {
      {at("CHANGE T1 = 1", 300, "+5"), 1, 0, 3, 10.0},
      {at("CHANGE T1 = ", 254, "1234"), 1, 0, 3, 10.0},          // the digits run over column 256
      {at("CHANGE T1 = ", 253, "1234"), 0, 0, 0, 1234.0},        // they end in it
      {at("", 300, "CHANGE T1 = 5"), 1, 0, 3, 10.0},             // not a blank line
      {at("CHANGE T1 = 1", 257, "\t \t"), 0, 0, 0, 1.0},         // blanks and tabs only
      {at("CHANGE T1 = 1  # note", 300, "more"), 0, 0, 0, 1.0},  // a comment
      {at("CHANGE T1 = 1", 300, "# note"), 0, 0, 0, 1.0},
      {at("# a comment line", 400, "x"), 0, 0, 0, 10.0},
      {at("CHANGE L1 = '#", 300, "'"), 1, 0, 3, 10.0},            // "#" inside quotes starts no comment
      {at("CHANGE T1 = '", 270, "' # x"), 1, 0, 3, 10.0},
      {at("!FINAL = 'B'", 300, "x"), 1, 1, 1, 10.0},             // a header
      {at("  !FINAL = '", 260, "B'"), 1, 1, 1, 10.0},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    build_case_fixture();
    int nerr = -1, eof = 0;
    std::string next;
    const std::string out = run(c.line + "\nCHANGE T2 = 1\n", nerr, eof, next);
    EXPECT_EQ(nerr, c.nerr);
    EXPECT_EQ(gar_thermalnodetemps(1), c.t1);
    if (c.ist != 0) {
      EXPECT_EQ(out.substr(0, out.find(" CHANGE  T2")), box("Line longer than 256 characters", 3, c.ist, "PARRD"));
    }
    if (c.eof_is_read_error) {
      EXPECT_EQ(eof, 1);
      EXPECT_EQ(gar_thermalnodetemps(2), 20.0);  // the case ended at the header
    } else {
      EXPECT_NE(eof, 0);
      EXPECT_EQ(gar_thermalnodetemps(2), 1.0);  // the statements after it still apply
    }
  }
}

TEST_F(StatementsTest, BinaryAndMalformedLinesAreErrorsNotCrashes) {
  int nerr = -1, eof = 0;
  std::string next;
  std::string junk = "CHANGE T1 = '";
  junk += std::string("\0\x01\xff", 3);
  junk += std::string(200, '\'') + "\n";
  junk += "OFF GL((((\nSCALE GL(1,2,3,4) * 2\nCHANGE (,) = 1\nCHANGE :::: = 1\nGET ::\n";
  run(junk, nerr, eof, next);
  EXPECT_EQ(nerr, 6);
  EXPECT_NE(eof, 0);
}

}  // namespace
}  // namespace paramcases_test
