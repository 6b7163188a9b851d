// The catch-all rules that end every scanner's rule list: unmatched input
// never stops the scan. A scanner defines BLANKS (the run of blanks it
// skips) and UNKNOWN_WORD (the word it reports whole), includes this file
// after those definitions and ends its rules with !use:catch_all. The
// actions call the hooks and read the settings of ScannedDialect, or the
// dialect's own of the same name.
/*!rules:re2c:catch_all
  BLANKS {
    if (const unsigned char* end = AfterBlanks(token, YYCURSOR)) {
      YYCURSOR = end;
    }
    continue;
  }
  "\n" {
    if (kNewlineEndsScan) return;
    continue;
  }
  UNKNOWN_WORD {
    if (const unsigned char* end = AfterUnknownWord(token, YYCURSOR)) {
      YYCURSOR = end;
      continue;
    }
    ReportUnrecognized(kReportStyle, kReportLevel, "token", token, YYCURSOR);
    continue;
  }
  [^\n\x00] {
    if (const unsigned char* end = AfterUnknownCharacter(token, YYCURSOR)) {
      YYCURSOR = end;
      continue;
    }
    ReportUnrecognized(kReportStyle, kReportLevel, "character", token,
                       YYCURSOR);
    continue;
  }
  "\x00" { return; }
*/
