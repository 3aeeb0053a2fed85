// What a trade's side and a transaction action mean for its position
// (TransPos) and long/short type (TransType), and the action a side gives for
// a stock, a call or a put.
#pragma once

#include <string>

namespace vo {

// Side codes derived from a broker's words.
constexpr unsigned kSideBuy = 0;
constexpr unsigned kSideSell = 1;
constexpr unsigned kSideSellShort = 2;
constexpr unsigned kSideBuyToCover = 3;

// By side code; 0 for a side the tables do not hold.
int SidePosition(unsigned side);
int SideType(unsigned side);
// By security type (0 stock, 1 call, 2 put) and side; 0 outside the table.
int SideAction(int securityType, unsigned side);

// Position of an action: 1 open, 2 close, 0 none, -1 not a position-bearing action.
int TransPosOf(int action);
// Long/short type of an action: 1 long, 2 short, 0 none, 3 both, -1 as above.
int TransTypeOf(int action);

// The same values as decimal text, as decoded transactions carry them.
std::string SidePositionText(unsigned side);
std::string SideTypeText(unsigned side);
std::string SideActionText(int securityType, unsigned side);
std::string TransPosText(int action);
std::string TransTypeText(int action);

}  // namespace vo
