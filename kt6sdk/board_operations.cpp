#include "kt6sdk/board_operations.h"

#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/register_access.h"

namespace kt6 {
namespace {

void DesktopOnly() { KT6MMIOWrite32Raw(mmio::kBlendControl, mmio::kBlendDesktopOnly); }
void Nothing() {}

}  // namespace

BoardOperations g_operations = {DesktopOnly, Nothing, Nothing, Nothing, Nothing};

}  // namespace kt6
