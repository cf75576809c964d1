#pragma once

#include <string>
#include <string_view>
#include <vector>

// What a program run left behind.
struct TRunResult {
    std::string Out;
    std::string Err;
    int Status = -1; // the exit status; 128 + signal when killed; -1 when it timed out
};

// Runs Program with Args, feeding Input to its standard input, and collects its standard output
// and standard error. A run that takes longer than TimeoutSeconds is killed.
TRunResult RunProgram(const std::string& Program, const std::vector<std::string>& Args,
                      std::string_view Input = {}, int TimeoutSeconds = 60);
