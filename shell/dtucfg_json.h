// dtucfg as a contract for automation engines: results as one JSON object per line (--format
// json), the catalogue as JSON (schema), and Ansible's binary-module protocol (dtucfg called
// with the path of a JSON arguments file).
#pragma once

#include "base/json.h"
#include "shell/write_flow.h"

#include <functional>
#include <string>

// Where result objects go: a line each on stdout, or (as an Ansible module) collected.
void EmitResult(const CJson& result);
void SetResultSink(std::function<void(const CJson&)> sink);

// The catalogue: label, key, command, kind, value rule and page of every parameter.
CJson SchemaJson();

// Whether `path` is an Ansible arguments file (a JSON object), and runs dtucfg as the module:
// prints one JSON result with changed, failed, msg and diff. The exit code.
bool IsAnsibleArguments(const std::string& path);
int RunAnsibleModule(const std::string& path, const char* argv0);
