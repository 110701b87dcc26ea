// The version that --version prints and every run summary records.
#pragma once

constexpr char kVantrelsVersion[] = "0.12.0";
