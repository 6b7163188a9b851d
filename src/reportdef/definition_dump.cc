#include "reportdef/definition_dump.h"

#include "reportdef/criteria.h"

namespace tnwk {
namespace {

void DumpTimeLimit(const char* name, uint64_t value, const Diagnostics& diag,
                   const Clock& clock) {
  if (value == 0) return;
  char text[128];
  if (clock.FormatLocal(static_cast<int64_t>(value), "%c %Z", text,
                        sizeof text) == 0) {
    return;
  }
  diag.Log(2, "SELECTION: Key: %s; Value: %lu; Svalue: %s\n", name,
           static_cast<unsigned long>(value), text);
}

}  // namespace

void WriteDefinitionDump(const ReportDefinition& definition,
                         const Diagnostics& diag, const Clock& clock) {
  diag.Log(1, "Number of columns: %u\n",
           static_cast<unsigned>(definition.columns.size()));
  if (diag.At(2)) {
    for (const ReportColumn& column : definition.columns) {
      diag.Log(2, "COLUMNS: Key: %s; Field %i; Position: %i\n",
               column.name.c_str(), column.column, column.position);
    }
  }

  diag.Log(1, "Number of criteria: %u\n",
           static_cast<unsigned>(definition.criteria.size()));
  if (diag.At(2)) {
    for (const SelectionCriterion& c : definition.criteria) {
      diag.Log(2,
               "SELECTION: Key: %s; Field %i; Value: %lu Max value: %lu; "
               "Double: %.7g; Max double: %.7g; Boolean: %d; Svalue: %s; "
               "Family: %i; Addr: %s; Netmask: %s; In6_addr: %s; "
               "In6_bits: %u; Invert: %i; Have Value: %i; Geoip: %d;\n",
               c.key.c_str(), c.field, static_cast<unsigned long>(c.value),
               static_cast<unsigned long>(c.max_value), c.dvalue, c.max_dvalue,
               static_cast<int>(c.boolean), c.svalue.c_str(),
               static_cast<int>(c.family), DottedAddress(c.addr).c_str(),
               DottedAddress(c.netmask).c_str(), Ipv6Text(c.in6_addr).c_str(),
               static_cast<unsigned>(c.in6_bits), static_cast<int>(c.invert),
               c.have_value, static_cast<int>(c.geoip));
    }
  }

  diag.Log(1, "Number of aggregate criteria: %u\n",
           definition.aggregate_criteria_count);
  if (diag.At(2)) {
    if (definition.min_count != 0) {
      diag.Log(2, "SELECTION: Key: min_count; Value: %lu\n",
               static_cast<unsigned long>(definition.min_count));
    }
    if (definition.max_count != 0) {
      diag.Log(2, "SELECTION: Key: max_count; Value: %lu\n",
               static_cast<unsigned long>(definition.max_count));
    }
    DumpTimeLimit("max_earliest", definition.max_earliest, diag, clock);
    DumpTimeLimit("min_latest", definition.min_latest, diag, clock);
  }

  diag.Log(1, "Number of sorts: %u\n", definition.sort_count);
  if (diag.At(2)) {
    for (const SortField& field : definition.sort_fields) {
      diag.Log(2, "SORT: Key: %s; Field %i; Position: %i Order: %i\n",
               field.name.c_str(), field.sort, field.position,
               field.descending);
    }
  }
}

}  // namespace tnwk
