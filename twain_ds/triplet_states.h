// The states in which the source accepts each request. A request without a rule
// is accepted in every state (capabilities, status, identity, layout and the
// transfers that check nothing themselves).
#pragma once

#include <optional>

#include "twain_ds/twain.h"
#include "twain_ds/twain_state.h"

namespace twain_ds {

struct StateRule {
  StateSet states;
  // Lead text of the box shown when the request comes in another state.
  const char* lead;
};

// The rule for a request: the one for its MSG, else the one for every MSG of its
// DAT, else none. (A MSG that matches no rule is the handler's to refuse.)
std::optional<StateRule> FindStateRule(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg);

}  // namespace twain_ds
