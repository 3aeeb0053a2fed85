// Values of the shared enumerations that the library decides between, named
// after their members.
#pragma once

#include <cstdint>

namespace vo {

constexpr int32_t kSecurityTypeStock = 0;
constexpr int32_t kSecurityTypeCall = 1;
constexpr int32_t kSecurityTypePut = 2;
constexpr int32_t kSecurityTypeCallIndexOption = 3;
constexpr int32_t kSecurityTypePutIndexOption = 4;
constexpr int32_t kSecurityTypeETF = 5;
constexpr int32_t kSecurityTypeMutualFund = 6;
constexpr int32_t kSecurityTypeBond = 7;
constexpr int32_t kSecurityTypeCash = 11;
constexpr int32_t kSecurityTypeUndefined = 14;

constexpr int32_t kTransActionBuy = 0;
constexpr int32_t kTransActionSale = 2;
constexpr int32_t kTransActionShortSale = 3;
constexpr int32_t kTransActionBuyToCover = 4;
constexpr int32_t kTransActionBuyCall = 5;
constexpr int32_t kTransActionSaleCall = 6;
constexpr int32_t kTransActionBuyPut = 7;
constexpr int32_t kTransActionSalePut = 8;
constexpr int32_t kTransActionSaleCallToOpen = 9;
constexpr int32_t kTransActionBuyCallToClose = 10;
constexpr int32_t kTransActionSalePutToOpen = 11;
constexpr int32_t kTransActionBuyPutToClose = 12;
constexpr int32_t kTransActionJournalIn = 21;
constexpr int32_t kTransActionJournalOut = 22;
constexpr int32_t kTransActionIncomeDiv = 27;
constexpr int32_t kTransActionCash = 34;
constexpr int32_t kTransActionOtherInterest = 36;
constexpr int32_t kTransActionInvExpense = 38;
constexpr int32_t kTransActionMarginInterest = 39;
constexpr int32_t kTransActionJournalOutRemind = 48;
constexpr int32_t kTransActionIgnore = 52;
constexpr int32_t kTransActionExerciseCall = 13;
constexpr int32_t kTransActionExercisePut = 14;
constexpr int32_t kTransActionAssignCall = 15;
constexpr int32_t kTransActionAssignPut = 16;
constexpr int32_t kTransActionExpireBuyCall = 17;
constexpr int32_t kTransActionExpireSaleCallOpen = 18;
constexpr int32_t kTransActionExpireBuyPut = 19;
constexpr int32_t kTransActionExpireSalePutOpen = 20;

constexpr int32_t kTransPosClose = 2;
constexpr int32_t kTransTypeLong = 1;
constexpr int32_t kGroupTypeVOManagedOption = 3;
constexpr int32_t kGroupLockStatusNotLocked = 0;
constexpr int32_t kEventTypeExpire = 6;

}  // namespace vo
