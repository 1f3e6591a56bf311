#pragma once
// The shell command lines that talk to the service, built from fixed pieces and the
// inserted values. Pure functions: inputs in, the exact line out.
//
// The key and the profile id are percent-encoded (every UTF-8 byte outside
// A-Z a-z 0-9 - . _ ~ as %XX), so no value can end its single-quoted section, trigger
// curl's URL globbing or cut the query; ordinary keys and ids stand as typed. Paths come
// already quoted for the shell (FolderItem::ShellPath).
#include "client/service.h"

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <optional>

namespace commands {

// How the lines report (read by LineOutcome, client/outcome.h): every request line puts
// the answer's HTTP status ("000" without one) first on its standard error. A details or
// mentions line whose request failed (no connection, a status other than 200, an answer
// cut short, a stall) exits kRequestFailed; a line that could not write the output file
// exits kNotWritten. The profile list exits with curl's own status.
constexpr int kRequestFailed = 100;
constexpr int kNotWritten = 101;

// The most of an answer the program reads into memory, or keeps in the scratch file to
// read: far above any real one (a list of 100,000 profiles is under 10 MB), and a service
// that never ends its answer is stopped there. Mentions pages are never read into memory
// and have no bound.
constexpr qint64 kAnswerBound = 16 * 1024 * 1024;

using CurlLimits = service::CurlLimits;

QString PercentEncode(const QString& value);

// Every request: silent, an HTTP error status fails it, and a request that cannot
// connect or receives no byte within the limits fails too.
QString CurlInvocation(const CurlLimits& limits = {});

// The profile list; its output is the service's answer, and its standard error the
// answer's HTTP status ("000" when there was none). A plain command, as a user can paste
// and run it.
QString ProfileList(const QString& key, const CurlLimits& limits = {});

// The profile's details, only the lines holding a "<total_" element. The answer is
// taken whole into the scratch file at scratchPath (quoted for the shell) before grep
// sees it, so a failed request, or any status but 200, exits kRequestFailed instead of
// reading as an empty answer; an answer without such a line is still an answer (exit 0).
// An answer longer than kAnswerBound is not kept: the request fails.
QString ProfileDetails(const QString& profileId, const QString& key, const QString& scratchPath,
                       const CurlLimits& limits = {});

// One page of mentions appended to the file at shellPath, one mention text a line. The
// page is taken whole into the scratch file first, byte for byte: a failed request (any
// status but 200 included) appends nothing and exits kRequestFailed; a failed append
// exits kNotWritten. pageNumber is absent on the first request of a fetch.
QString Mentions(const QString& segment, const QString& tag, const QString& profileId,
                 std::optional<std::int64_t> pageNumber, const QString& key, const QString& shellPath,
                 const QString& scratchPath, const CurlLimits& limits = {});

// Removes the file (a regular file or a link); a file that is not there is no failure.
// Exits kNotWritten when it cannot be removed.
QString Delete(const QString& shellPath);
// Creates the file empty when absent (appends nothing); exits kNotWritten when it cannot.
QString CreateEmpty(const QString& shellPath);

// "pw_" + profile name + platform row text + ".txt", with every "/", " " and ":" removed,
// then every double quote and every control character (below U+0020, and U+007F).
QString DefaultFileName(const QString& profileName, const QString& platformText);

} // namespace commands
