#include "installer/net/JsonReply.h"

#include <memory>

bool CJsonReply::Parse(const std::string& text, Json::Value& root)
{
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    try {
        return reader->parse(text.data(), text.data() + text.size(), &root, &errors);
    } catch (const Json::Exception&) {
        // The reader gives up on nesting deeper than its stack limit by throwing: such a reply is no reply.
        root = Json::Value();
        return false;
    }
}

bool CJsonReply::ParseObject(const std::string& text, Json::Value& root)
{
    return Parse(text, root) && root.isObject();
}
