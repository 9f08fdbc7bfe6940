#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <vector>

// A node of the small part of YAML that a web configuration file is written in: mappings nested by
// indentation, plain, single-quoted and double-quoted scalars, and comments. Everything else
// (sequences, flow collections, anchors, tags, block scalars) is refused, so that a file never
// means something other than what was read.
struct YamlNode
{
    int line = 1; // where it starts: a mapping's key line, from 1
    bool isMapping = false;
    QString scalar; // a scalar's text; empty for a key with nothing after it nor under it
    std::vector<std::pair<QString, YamlNode>> entries; // a mapping's keys in the file's order
};

struct YamlError
{
    int line = 0;
    QString why;
};

// The text as one mapping (with no keys for a text of comments alone), or nothing with the first fault.
std::optional<YamlNode> ParseYamlSubset(const QString& text, YamlError& error);
