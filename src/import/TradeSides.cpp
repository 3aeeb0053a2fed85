#include "import/TradeSides.h"

#include <array>

#include "values/DecimalText.h"

namespace vo {

namespace {

constexpr std::array<int, 4> kSidePosition = {1, 2, 1, 2};
constexpr std::array<int, 4> kSideType = {1, 1, 2, 2};
// Rows: stock, call, put. Columns: side code.
constexpr std::array<std::array<int, 4>, 3> kSideAction = {{
    {0, 2, 3, 4},
    {5, 6, 9, 10},
    {7, 8, 11, 12},
}};

constexpr int kActionCount = 57;

// Position and type of every TransAction value, indexed by value.
constexpr std::array<int, kActionCount> kActionPosition = {
    1, 1, 2, 1, 2, 1, 2, 1, 2, 1,   // 0-9
    2, 1, 2, 2, 2, 2, 2, 2, 2, 2,   // 10-19
    2, 1, 2, 2, 0, 0, 0, 0, 0, 0,   // 20-29
    0, 0, 0, 0, 0, -1, 0, 0, 0, 0,  // 30-39
    0, 2, 2, 2, 2, 2, 2, 2, 2, 2,   // 40-49
    2, 2, -1, 2, 2, 2, 2,           // 50-56
};
constexpr std::array<int, kActionCount> kActionType = {
    1, 1, 1, 2, 2, 1, 1, 1, 1, 2,   // 0-9
    2, 2, 2, 1, 1, 2, 2, 1, 2, 1,   // 10-19
    2, 1, 1, 1, 0, 0, 0, 0, 0, 0,   // 20-29
    0, 0, 0, 0, 0, -1, 0, 0, 0, 0,  // 30-39
    0, 2, 2, 1, 1, 3, 3, 1, 1, 1,   // 40-49
    2, 1, -1, 1, 1, 2, 2,           // 50-56
};

}  // namespace

int SidePosition(unsigned side) { return side < kSidePosition.size() ? kSidePosition[side] : 0; }

int SideType(unsigned side) { return side < kSideType.size() ? kSideType[side] : 0; }

int SideAction(int securityType, unsigned side) {
  if (securityType < 0 || securityType >= static_cast<int>(kSideAction.size())) return 0;
  return side < kSideAction[securityType].size() ? kSideAction[securityType][side] : 0;
}

int TransPosOf(int action) {
  return action >= 0 && action < kActionCount ? kActionPosition[action] : -1;
}

int TransTypeOf(int action) { return action >= 0 && action < kActionCount ? kActionType[action] : -1; }

std::string SidePositionText(unsigned side) { return ToText(SidePosition(side)); }
std::string SideTypeText(unsigned side) { return ToText(SideType(side)); }
std::string SideActionText(int securityType, unsigned side) {
  return ToText(SideAction(securityType, side));
}
std::string TransPosText(int action) { return ToText(TransPosOf(action)); }
std::string TransTypeText(int action) { return ToText(TransTypeOf(action)); }

}  // namespace vo
