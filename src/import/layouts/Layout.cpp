#include "import/layouts/Layout.h"

namespace vo {

namespace {

// By Field value.
constexpr FieldInfo kFields[kFieldCount] = {
    {"date", FieldKind::kDate},
    {"settle_date", FieldKind::kDate},
    {"action", FieldKind::kText},
    {"symbol", FieldKind::kText},
    {"description", FieldKind::kText},
    {"quantity", FieldKind::kNumber},
    {"price", FieldKind::kNumber},
    {"commission", FieldKind::kNumber},
    {"fees", FieldKind::kNumber},
    {"misc_fees", FieldKind::kNumber},
    {"accrued_interest", FieldKind::kNumber},
    {"amount", FieldKind::kNumber},
    {"account", FieldKind::kText},
    {"currency", FieldKind::kText},
    {"exchange_rate", FieldKind::kNumber},
    {"option_type", FieldKind::kText},
    {"underlying", FieldKind::kText},
    {"expiry", FieldKind::kDate},
    {"strike", FieldKind::kNumber},
    {"contract_size", FieldKind::kNumber},
    {"date_acquired", FieldKind::kDate},
    {"date_sold", FieldKind::kDate},
    {"proceeds", FieldKind::kNumber},
    {"cost_basis", FieldKind::kNumber},
};

}  // namespace

const FieldInfo& InfoOf(Field field) { return kFields[static_cast<size_t>(field)]; }

std::optional<Field> FieldNamed(std::string_view name) {
  for (size_t i = 0; i < kFieldCount; ++i) {
    if (kFields[i].name == name) return static_cast<Field>(i);
  }
  return std::nullopt;
}

std::string NameKey(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  std::string key;
  key.reserve(text.size());
  for (char c : text) {
    // ASCII only, without the locale: every row's action text comes here.
    if (c == ' ' || (c >= '\t' && c <= '\r')) continue;
    key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return key;
}

}  // namespace vo
