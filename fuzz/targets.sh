# The libFuzzer targets (without "fuzz_") and the longest input worth trying
# for each; sourced by scripts/ci-fuzz and scripts/fuzz-corpus.
targets=(bmp_decoder wave_loader record_reader profile_reader script_lines script_commands game_rounds
  headless_game)
declare -A max_len=([bmp_decoder]=8192 [wave_loader]=20000 [record_reader]=4096 [profile_reader]=4096
  [script_lines]=4096 [script_commands]=4096 [game_rounds]=4096
  [headless_game]=4096)
