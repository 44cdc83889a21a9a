#pragma once
// Control functions exported by the simulated adapter library next to the driver entry points.
// Tests resolve them (QLibrary) from the same loaded library the link uses. Adapter numbers count
// every adapter of the scenario, attached or not. Functions returning int give -1 for a bad argument.

#include <cstdint>

extern "C" {
// Back to the configuration named by ZCFG_SIM (default: one Arvel adapter with a staff transmitter).
using zcfg_sim_reset_fn = void (*)();
// Replaces the whole setup by a JSON scenario (text or file path); 0 on success, -1 on error
// (the previous setup stays).
using zcfg_sim_load_scenario_json_fn = int (*)(const char* json);
using zcfg_sim_load_scenario_file_fn = int (*)(const char* path);
// A device keyword, "none" or "absent".
using zcfg_sim_load_keyword_fn = int (*)(const char* keyword);
// Adds an adapter with the default identity and the given device ("none": no device); its number.
using zcfg_sim_add_adapter_fn = int (*)(const char* deviceKeyword);
using zcfg_sim_adapter_count_fn = int (*)();
using zcfg_sim_attach_fn = int (*)(int adapter);
using zcfg_sim_detach_fn = int (*)(int adapter);
// Identity fields: "vendor", "product" (hex), "manufacturer", "manufacturerId", "description",
// "serial", "blank" ("1"/"0").
using zcfg_sim_set_identity_fn = int (*)(int adapter, const char* field, const char* value);
// Copies a text value into out (terminated, cut to capacity); returns its full length.
using zcfg_sim_get_identity_fn = int (*)(int adapter, const char* field, char* out, int capacity);
// Records "pi", "fd", "ud" as whole payloads.
using zcfg_sim_set_record_fn = int (*)(int adapter, const char* which, const char* payload);
using zcfg_sim_get_record_fn = int (*)(int adapter, const char* which, char* out, int capacity);
// Faults: "no-answer", "bad-check", "garbage", "truncate", "ud-before-fd" (0/1), "bytes-per-poll",
// "unplug-after", "reply-delay" (numbers).
using zcfg_sim_set_fault_fn = int (*)(int adapter, const char* fault, int value);
// Makes an entry point ("FT_Write", ...) answer with this status; 0 restores normal behaviour.
using zcfg_sim_set_status_fn = void (*)(const char* entryPoint, uint32_t status);
// 0 deterministic, 1 paced by the explicit clock, 2 paced in real time.
using zcfg_sim_set_pacing_fn = void (*)(int mode);
using zcfg_sim_advance_clock_fn = void (*)(int64_t microseconds);
// Every byte the host has written to the adapter; returns the full count.
using zcfg_sim_written_bytes_fn = int (*)(int adapter, char* out, int capacity);
using zcfg_sim_clear_written_fn = int (*)(int adapter);
// Bytes the device sends unasked.
using zcfg_sim_inject_fn = int (*)(int adapter, const char* bytes, int count);
// Counters and settings: "ee-read", "ee-program", "opens", "open", "attached", "bytes-read",
// "frames-accepted", "frames-rejected", "pending", "baud", "word-length", "stop-bits", "parity",
// "flow", "xon", "xoff".
using zcfg_sim_counter_fn = int (*)(int adapter, const char* name);
}
