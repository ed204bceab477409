// Local names that tell a browser what a stored file is. A browser that
// opens the copy from disk knows a file's type only by its name's extension:
// "pydoctheme.css?2022.1" stored as "pydoctheme.css,2022.1" is no style
// sheet to it, and "page?id=3" is no page. So when the answer's MIME type is
// a page, a style sheet, a script or an image and the name does not end in
// an extension of that type, one is appended ("pydoctheme.css,2022.1.css").
// The name is decided when the answer's header arrives, in every mode that
// rewrites links; mirror mode keeps the server's names.
#pragma once

#include <string>

namespace vorlin {

class TDownloadLink;
class TDownloadProject;

// The extension (".css") a stored file of this MIME type should end in, or
// empty when the name ends in a fitting one already (or the type is none of
// pages, style sheets, scripts and images). Any image extension fits any
// image type: browsers tell images apart by their content.
std::string TypeExtensionFor(const std::string& localFileName, const std::string& mimeType);

// Appends the fitting extension to the link's LocalFileName (as completed
// with "index.html") when it lacks one, keeping the full path within the
// length limit and the name unique on its server. True when the name
// changed.
bool GiveTypeExtension(TDownloadLink& link, const TDownloadProject& project, const std::string& mimeType);

} // namespace vorlin
