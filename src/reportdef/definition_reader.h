#ifndef TNWK_REPORTDEF_DEFINITION_READER_H_
#define TNWK_REPORTDEF_DEFINITION_READER_H_

#include <cstdio>

#include "reportdef/definition_context.h"

namespace tnwk {

// Reads the report definition from the file `path`, or from `standard_input`
// when `path` is "-", into context.definition and context.options: clears
// the column-selected flags and aggregate limits, handles every line (in
// pieces of at most 1023 characters, each with its own line number), adds
// the "sname" column at position 99 when the report neither summarizes nor
// lists it, and writes the dump. Standard input is left open. Returns 0, or
// 1 with a message when the file is missing, not a regular file, cannot be
// opened or cannot be closed; the caller then exits with status 1. Bad
// lines never stop the reader.
int read_report_definition(DefinitionContext& context, const char* path,
                           std::FILE* standard_input = stdin);

// Handles one line (terminated; its newline, if any, included). The line is
// modified in place: value parsers clean the parameter.
void process_definition_line(DefinitionContext& context, char* text,
                             int line_no);

}  // namespace tnwk

#endif  // TNWK_REPORTDEF_DEFINITION_READER_H_
