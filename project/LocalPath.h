// The one place where a stored local name ("host\dir\file.html", backslash
// separated, as the link data keeps it) becomes a host path. Whatever a
// server or a page put into the name, the result lies inside the base
// directory: every file operation on a link's file goes through here.
#pragma once

#include <string>

namespace vorlin {

class TDownloadProject;
class TDownloadLink;

// baseDir + the stored name with "\" (and "/") as separators. Components
// that could leave baseDir or that the file system can't hold are replaced,
// always the same way, so a later run finds the same file:
//   empty components (leading, doubled) are dropped; "." becomes "%2E" and
//   ".." becomes "%2E%2E"; a NUL byte becomes "%00"; a component longer than
//   255 bytes keeps its first 246 bytes plus "~" and 8 hex digits of a hash
//   of the whole component.
// A name that ends in a separator gives a path that ends in "/".
// Ordinary names map one to one, "\" turned into "/".
std::string HostPathBelow(const std::string& baseDir, const std::string& storedName);
// The same for a name below the directory that out already holds (with its
// "/"), appended to out: for callers that reuse one buffer.
void AppendHostPath(std::string& out, std::string_view storedName);

// The host path of a link's file: TargetDir + LocalDir + LocalFileName.
std::string LinkFilePath(const TDownloadProject& project, const TDownloadLink& link);

} // namespace vorlin
