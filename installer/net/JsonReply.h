#pragma once

#include <json/json.h>

#include <string>

// Replies of the vendor's services and of the IP lookup are read as JSON text that anyone on the way may have
// shaped: reading one never throws.
class CJsonReply
{
public:
    // False when `text` is not one JSON value; comments are allowed.
    static bool Parse(const std::string& text, Json::Value& root);
    // False unless `text` is one JSON object.
    static bool ParseObject(const std::string& text, Json::Value& root);
};
