#include "platform/graph/FaultPlan.h"

namespace pvx::platform::graph {

namespace {
FaultPlan& Plan() {
  static FaultPlan plan;
  return plan;
}
}  // namespace

void SetFaultPlan(FaultPlan plan) { Plan() = std::move(plan); }

bool Refused(const char* call) { return Plan() && Plan()(call); }

}  // namespace pvx::platform::graph
