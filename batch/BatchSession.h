#pragma once

#include <functional>

#include "batch/BatchOptions.h"
#include "batch/BatchOutput.h"
#include "core/PrivateFolder.h"
#include "session/uTavSession.h"

// The row of --rule in the Simple rules table before any ranking: the number given, the row of
// the name given (BatchRuleName.h), or 0 without --rule. Throws EBatchUsage naming --rule for a
// number outside the rules and a name that no rule or several rules have.
int ruleRow(const TTavSession& session, const TBatchOptions& options);

// Sets the statistics settings of the options (with `fromDefaults` the rest to their defaults)
// and hides the class rows of --hide. Throws EBatchUsage naming the option when the session
// refuses a value.
void applySettings(TTavSession& session, const TBatchOptions& options, bool fromDefaults = true);

// Opens the session file of --session on its own data file or database table, or on
// options.files[0] or the table of --db when one is given, then applies the settings and --hide
// of the options over it. A database's table is read into `folder`. A data file that changed
// since the session was saved is a warning on standard error; the run goes on with it. Throws
// the session's errors for a session file or a data file that cannot be read, and the import's
// for a table that cannot be read.
void openSavedSession(TTavSession& session, const TBatchOptions& options, const TBatchOutput& io,
                      const TPrivateFolder& folder);

// Runs a command that explores a table, the same way for every such command: a session with the
// options' settings loads options.files[0] or the table of --db (read into a private folder
// that is removed when the command ends; BatchDatabase.h) (or opens the session file of
// --session, the options overriding it) (a plain table is refused with a pointer to import),
// takes the class field (--class by number or name), the rule, the selected fields, the class
// deselected, the context and the compare filters, then runs `act`; the load, the options and
// `act` are one session command, so that the Frequency table is computed once. `print` then
// writes the output. Returns the exit status: 1 when a filter does not check (the session has
// shown its message) and nothing is printed. Throws EBatchUsage for a usage error and the core's
// errors for a file that cannot be loaded.
int exploreSession(const TBatchOptions& options, const TBatchOutput& io,
                   const std::function<void(TTavSession&)>& act,
                   const std::function<void(TTavSession&)>& print);
