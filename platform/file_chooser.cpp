#include "platform/file_chooser.h"

#include <istream>
#include <ostream>

namespace platform {

std::string withDefaultExtension(const std::string& path, const std::string& extension) {
    if (extension.empty())
        return path;
    std::size_t slash = path.find_last_of('/');
    std::size_t dot = path.find_last_of('.');
    bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return hasExtension ? path : path + "." + extension;
}

std::optional<std::string> ConsoleFileChooser::choose(const FileRequest& request) {
    out_ << request.title << " (" << request.filterName << " " << request.filterPattern << "): ";
    out_.flush();
    std::string line;
    if (!std::getline(in_, line) || line.empty())
        return std::nullopt;
    return withDefaultExtension(line, request.defaultExtension);
}

std::optional<std::string> ScriptedFileChooser::choose(const FileRequest& request) {
    requests_.push_back(request);
    if (answers_.empty())
        return std::nullopt;
    auto a = answers_.front();
    answers_.pop_front();
    return a;
}

}  // namespace platform
