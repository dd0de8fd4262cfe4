#pragma once
// Planned refusals of media calls. Tests walk every failure path of a graph-building step by
// refusing its calls one at a time; the program itself never plans one.

#include <functional>

namespace pvx::platform::graph {

// Answers true for a call that must be refused. Calls are named by what they do: "AddFilter",
// "Connect", "Render", "Run", "Position", "Seek", "SetFrequency", "SetFormat", "Load",
// "SetFileName".
using FaultPlan = std::function<bool(const char* call)>;

void SetFaultPlan(FaultPlan plan);  // an empty plan refuses nothing
bool Refused(const char* call);

}  // namespace pvx::platform::graph
