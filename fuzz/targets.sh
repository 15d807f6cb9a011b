# The libFuzzer targets (without "fuzz_") and the longest input worth trying
# for each; sourced by scripts/ci-fuzz and scripts/fuzz-corpus. `targets` run
# by default, each at a thousand inputs a second or more. headless_game, a
# whole game per input (tens a second: eleven pictures decoded, then up to
# 200 ticks), is for long runs by hand: --only headless_game.
targets=(bmp_decoder wave_loader record_reader profile_reader script_lines script_commands game_rounds)
slow_targets=(headless_game)
declare -A max_len=([bmp_decoder]=8192 [wave_loader]=20000 [record_reader]=4096 [profile_reader]=4096
  [script_lines]=4096 [script_commands]=4096 [game_rounds]=4096
  [headless_game]=4096)
