// The contract of a generated model program against its one header: with
// nothing but "tna/model_program.h" included, the blocks a program supplies
// and every routine it calls are declared with the argument lists the
// generator writes, each routine is defined in the library (the addresses
// below make the linker find each one; the blocks come from the test model
// program), and the data the statements address are there.
#include "tna/model_program.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <type_traits>

namespace {

template <class Expected, class Actual>
constexpr bool same = std::is_same_v<Expected, Actual>;

using Routine = void (*)();
using Property = double (*)(double, double, double, int, int);

// Entry routines and the blocks' frames.
static_assert(same<void (*)(std::string_view), decltype(&SVMNAM)>);
static_assert(same<void (*)(std::string_view, int), decltype(&MAINA)>);
static_assert(same<Routine, decltype(&SUCCES)>);
static_assert(same<Routine, decltype(&PRMUPD)>);
static_assert(same<Routine, decltype(&CHKTRM)>);
static_assert(same<Routine, decltype(&ACDDYU)>);
static_assert(same<Routine, decltype(&HEATER_UPDATE)>);
static_assert(same<void (*)(std::string_view, int), decltype(&FINITS)>);
static_assert(same<void (*)(std::string_view), decltype(&PARWRT)>);
static_assert(same<void (*)(bool&), decltype(&GM0001)>);
static_assert(same<void (*)(int, int, int, plat::Vec1<const std::int32_t>, plat::Vec1<double>), decltype(&SSNCNT)>);

// Solution routines.
static_assert(same<Routine, decltype(&SOLVFM)>);
static_assert(same<Routine, decltype(&SLCRNC)>);
static_assert(same<Routine, decltype(&SLFWBK)>);
static_assert(same<Routine, decltype(&SLFRWD)>);
static_assert(same<Routine, decltype(&SLGEAR)>);
static_assert(same<Routine, decltype(&SLGRDJ)>);
static_assert(same<Routine, decltype(&SLMODE)>);
static_assert(same<void (*)(std::string_view, const double&, const double&, const double&, const int&,
                            std::string_view, std::string_view),
                   decltype(&SOLCYC)>);
static_assert(same<Routine, decltype(&FLTNTS)>);
static_assert(same<Routine, decltype(&FLTMTS)>);
static_assert(same<Routine, decltype(&FLTNTF)>);
static_assert(same<Routine, decltype(&FGENFI)>);

// Output, interpolation, references.
static_assert(same<void (*)(std::string_view, std::string_view, int), decltype(&PRNDTB)>);
static_assert(same<void (*)(std::string_view, std::string_view, int, std::string_view), decltype(&DMPTMD)>);
static_assert(same<double (*)(double, int, int), decltype(&INTRP1)>);
static_assert(same<double (*)(double, int, int, double, double), decltype(&INTCY1)>);
static_assert(same<double (*)(double, double, int, int), decltype(&INTRP2)>);
static_assert(same<std::string (*)(std::string_view), decltype(&SUBMOD)>);
static_assert(same<std::string (*)(int, std::string_view), decltype(&SUBMDN)>);
static_assert(same<int (*)(int), decltype(&NODNUM)>);
static_assert(same<int (*)(int, int), decltype(&INTNOD)>);

// Heaters.
static_assert(same<void (*)(std::string_view, std::string_view, double, double, int, std::string_view, int, int,
                            double, int, double, double, int, int, int, double, double, double),
                   decltype(&htr_define)>);
static_assert(
    same<void (*)(std::string_view, int, double&, int&, double&, int&, double&, double&), decltype(&htr_status)>);
static_assert(same<void (*)(std::string_view, int), decltype(&htr_reset)>);
static_assert(same<Routine, decltype(&htr_update)>);

// Property functions.
static_assert(same<Property, decltype(&XRHO)> && same<Property, decltype(&XRHOS)>);
static_assert(same<Property, decltype(&XCP)> && same<Property, decltype(&XCPS)>);
static_assert(same<Property, decltype(&XCOND)> && same<Property, decltype(&XCONDS)>);
static_assert(same<Property, decltype(&XVISC)> && same<Property, decltype(&XVISCS)>);
static_assert(same<Property, decltype(&XENTH)> && same<Property, decltype(&XENTHS)>);
static_assert(same<Property, decltype(&XJT)> && same<Property, decltype(&XJTS)>);
static_assert(same<Property, decltype(&XKT)> && same<Property, decltype(&XKTS)>);
static_assert(same<Property, decltype(&XPRES)> && same<double (*)(double, int, int), decltype(&XPRESS)>);
static_assert(same<Property, decltype(&XTEMP)> && same<double (*)(double, int, int), decltype(&XTEMPS)>);
static_assert(same<double (*)(double, double, int, int), decltype(&XSIG)>);
static_assert(same<double (*)(double, double, int, int), decltype(&XSIGS)>);
static_assert(same<plat::Text<24> (*)(int), decltype(&FTYPEC)>);
static_assert(same<int (*)(std::string_view), decltype(&FTYPEI)>);

// The helpers of the frames.
static_assert(same<std::string_view (*)(std::string_view), decltype(&plat::trimmed)>);
static_assert(same<bool (*)(std::string_view, std::string_view), decltype(&plat::text_eq)>);

// The blocks the program supplies.
static_assert(same<Routine, decltype(&IN0001)> && same<Routine, decltype(&EXECTN)>);
static_assert(same<Routine, decltype(&V10001)> && same<Routine, decltype(&V20001)>);
static_assert(same<Routine, decltype(&OUTPUT)> && same<Routine, decltype(&SYMREF)>);

TEST(ModelProgramHeader, EveryRoutineOfTheContractIsDefinedInTheLibrary) {
  const void* routines[] = {
      reinterpret_cast<const void*>(&IN0001),        reinterpret_cast<const void*>(&EXECTN),
      reinterpret_cast<const void*>(&V10001),        reinterpret_cast<const void*>(&V20001),
      reinterpret_cast<const void*>(&OUTPUT),        reinterpret_cast<const void*>(&GM0001),
      reinterpret_cast<const void*>(&SYMREF),        reinterpret_cast<const void*>(&SVMNAM),
      reinterpret_cast<const void*>(&MAINA),         reinterpret_cast<const void*>(&SUCCES),
      reinterpret_cast<const void*>(&PRMUPD),        reinterpret_cast<const void*>(&CHKTRM),
      reinterpret_cast<const void*>(&FAILUR),        reinterpret_cast<const void*>(&ACDDYU),
      reinterpret_cast<const void*>(&HEATER_UPDATE), reinterpret_cast<const void*>(&FINITS),
      reinterpret_cast<const void*>(&PARWRT),        reinterpret_cast<const void*>(&SSNCNT),
      reinterpret_cast<const void*>(&SOLVFM),        reinterpret_cast<const void*>(&SLCRNC),
      reinterpret_cast<const void*>(&SLFWBK),        reinterpret_cast<const void*>(&SLFRWD),
      reinterpret_cast<const void*>(&SLGEAR),        reinterpret_cast<const void*>(&SLGRDJ),
      reinterpret_cast<const void*>(&SLMODE),        reinterpret_cast<const void*>(&SOLCYC),
      reinterpret_cast<const void*>(&FLTNTS),        reinterpret_cast<const void*>(&FLTMTS),
      reinterpret_cast<const void*>(&FLTNTF),        reinterpret_cast<const void*>(&FGENFI),
      reinterpret_cast<const void*>(&PRNDTB),        reinterpret_cast<const void*>(&DMPTMD),
      reinterpret_cast<const void*>(&INTRP1),        reinterpret_cast<const void*>(&INTCY1),
      reinterpret_cast<const void*>(&INTRP2),        reinterpret_cast<const void*>(&SUBMOD),
      reinterpret_cast<const void*>(&SUBMDN),        reinterpret_cast<const void*>(&NODNUM),
      reinterpret_cast<const void*>(&INTNOD),        reinterpret_cast<const void*>(&htr_define),
      reinterpret_cast<const void*>(&htr_status),    reinterpret_cast<const void*>(&htr_reset),
      reinterpret_cast<const void*>(&htr_update),    reinterpret_cast<const void*>(&XRHO),
      reinterpret_cast<const void*>(&XRHOS),         reinterpret_cast<const void*>(&XCP),
      reinterpret_cast<const void*>(&XCPS),          reinterpret_cast<const void*>(&XCOND),
      reinterpret_cast<const void*>(&XCONDS),        reinterpret_cast<const void*>(&XVISC),
      reinterpret_cast<const void*>(&XVISCS),        reinterpret_cast<const void*>(&XENTH),
      reinterpret_cast<const void*>(&XENTHS),        reinterpret_cast<const void*>(&XJT),
      reinterpret_cast<const void*>(&XJTS),          reinterpret_cast<const void*>(&XKT),
      reinterpret_cast<const void*>(&XKTS),          reinterpret_cast<const void*>(&XPRES),
      reinterpret_cast<const void*>(&XPRESS),        reinterpret_cast<const void*>(&XTEMP),
      reinterpret_cast<const void*>(&XTEMPS),        reinterpret_cast<const void*>(&XSIG),
      reinterpret_cast<const void*>(&XSIGS),         reinterpret_cast<const void*>(&FTYPEC),
      reinterpret_cast<const void*>(&FTYPEI),
  };
  for (const void* r : routines) EXPECT_NE(r, nullptr);
}

// What the statements address: the records, the arrays through the model
// directory, the control constants by name.
TEST(ModelProgramHeader, StatementsAddressRecordsArraysAndDirectoryBases) {
  EXPECT_EQ(FLAGS.size(), 41);
  EXPECT_EQ(SPRSIZ.size(), 5);
  EXPECT_EQ(sizeof(SPRNOD(1)), 18u);
  EXPECT_EQ(sizeof(GLOC.OUTIME), 18u);
  EXPECT_EQ(md_thermalnodebase.slot, 3);
  EXPECT_EQ(md_realuserconstbase.slot, 8);
  EXPECT_EQ(md_fluidnodebase.slot, 16);
  static_assert(same<double&, decltype(gar_thermalnodeheatsourcesinternal(1))>);
  static_assert(same<double&, decltype(gar_userconstvaluesreal(1))>);
  static_assert(same<double&, decltype((GLOR.TIMEND))>);
  static_assert(same<std::int32_t&, decltype((GLOI.NLOOP))>);
}

}  // namespace
