#pragma once

// The default sound's stored bytes, written out by hand from the published parameter ranges and
// defaults and the engine's own start values (the few that differ from the parameter defaults),
// in the stream's order. Nothing here is taken from the plug-in's tables.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace GoldenState {

inline double lin(double plain, double lo, double hi) { return (plain - lo) / (hi - lo); }

// Normalized start value of every stored id.
inline std::map<uint32_t, double> startValues() {
    std::map<uint32_t, double> v;
    v[100] = lin(60, 20, 200);
    v[101] = 0.8;
    v[102] = lin(0.25, 0.05, 5);
    v[103] = 0;
    v[104] = lin(0.5, 0.05, 5);
    v[105] = 0;
    v[106] = 0;
    v[107] = 0;
    v[108] = 0;
    v[109] = 1;
    v[110] = lin(2000, 2, 2000);
    v[111] = lin(120, 15, 300);
    v[112] = std::log(600.0) / std::log(900.0); // 12 kHz on the 20 Hz .. 18 kHz log scale
    v[113] = 0.1;
    v[114] = 0;
    v[115] = 0.24925;  // engine start value
    v[116] = 0.263158; // engine start value
    v[117] = 0.2;
    v[118] = 0.25; // "Studio"
    v[119] = 0.55;
    v[120] = 0.35;
    v[121] = 0.2;
    v[122] = 0.5;      // "Cathedral"
    v[123] = 0.487179; // engine start value
    v[124] = 0.42;
    v[125] = lin(30, 0, 200);
    v[126] = 0.38;
    v[127] = 0;
    v[128] = 0;
    v[129] = lin(43, 30, 80);
    v[130] = 0.232143; // engine start value
    v[131] = lin(165, 0, 220);
    v[132] = 0.188034; // engine start value
    v[133] = 0.68;
    v[134] = 0.48;
    v[135] = 0.76;
    v[136] = 0.368421; // engine start value
    v[137] = 0.233333; // engine start value
    v[138] = 0.58;
    v[139] = 0;
    v[140] = 0.666667; // "1x Step"
    v[141] = 0;
    v[142] = 0.35;
    v[143] = 0;
    v[144] = 0;
    v[145] = lin(37.1429, 0, 100);
    v[146] = lin(66.6667, 0, 100);
    v[147] = 0;
    v[148] = lin(5000, 30, 5000);
    v[149] = 0;
    v[150] = 0;
    v[151] = lin(8, 0.05, 100);
    v[152] = lin(90, 10, 1000);
    v[154] = 0;
    v[155] = 0;
    v[156] = 0;
    v[157] = 0;
    v[158] = lin(0.2, 0.005, 1.2);
    v[159] = lin(0, -24, 60);
    v[160] = 0;
    v[161] = 1;
    v[162] = 0.5;
    for (uint32_t id = 163; id <= 170; ++id) v[id] = 0;
    v[171] = 1;
    v[172] = 1;
    v[173] = 0;
    v[174] = lin(0.539, 0.03, 1.5);
    v[175] = lin(0, -24, 24);
    v[176] = 0;
    v[177] = 0;
    v[178] = 1;
    v[179] = 0;
    v[180] = 0;
    v[181] = 0;
    v[182] = 0;
    v[183] = 2.0 / 3.0; // "1/8"
    v[184] = 1;
    v[185] = 0.2;
    const double effects[] = {0, 0.35, 0.5, 0, 0.25, 0.5, 0, 0.5, 0.4, 0, 0.35, 0.35}; // 186-197
    for (uint32_t i = 0; i < 12; ++i) v[186 + i] = effects[i];
    for (uint32_t i = 0; i < 16; ++i) v[200 + i] = i % 4 == 0 ? 1.0 : 0.0;
    for (uint32_t i = 0; i < 8; ++i) v[300 + i] = i % 2 == 0 ? 1.0 : 0.0;
    const double sub[] = {0.42, 0.68, 0.22, 0, 0.38, 0, 0.65, 0.34, 0, 0.42, 0.12}; // 400-410
    for (uint32_t i = 0; i < 11; ++i) v[400 + i] = sub[i];
    v[411] = 0;
    v[412] = 0;
    v[413] = 0;
    v[414] = 0;
    v[415] = 1;
    v[416] = 1;
    v[417] = 0;
    for (uint32_t i = 0; i < 16; ++i) v[420 + i] = i % 4 == 0 ? 1.0 : 0.0;
    for (uint32_t id = 436; id <= 439; ++id) v[id] = 0;
    v[440] = 1;
    return v;
}

// The stream's id order; 0 marks the marker value.
inline std::vector<uint32_t> streamOrder() {
    std::vector<uint32_t> o;
    for (uint32_t id = 100; id <= 139; ++id) o.push_back(id);
    for (uint32_t id : {143, 144, 145, 146, 140, 141, 142, 147, 148, 149, 150, 151, 152}) o.push_back(id);
    for (uint32_t id = 300; id <= 307; ++id) o.push_back(id);
    for (uint32_t id = 200; id <= 215; ++id) o.push_back(id);
    for (uint32_t id = 154; id <= 181; ++id) o.push_back(id);
    o.push_back(0);
    for (uint32_t id = 182; id <= 197; ++id) o.push_back(id);
    for (uint32_t id = 400; id <= 417; ++id) o.push_back(id);
    for (uint32_t id = 420; id <= 440; ++id) o.push_back(id);
    return o;
}

inline std::vector<uint8_t> defaultStateBytes() {
    const auto values = startValues();
    std::vector<uint8_t> bytes;
    for (uint32_t id : streamOrder()) {
        const float f = id == 0 ? 3.0f : static_cast<float>(values.at(id));
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<uint8_t>(bits >> (8 * b)));
    }
    return bytes;
}

} // namespace GoldenState
