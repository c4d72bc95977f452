#include "main/cli.hpp"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "main/styled_text.hpp"
#include "main/version.hpp"
#include "support/jaro.hpp"
#include "support/utf8.hpp"

// The command line follows the conventions users know from other modern tools: the help layout,
// "tip:" suggestions for mistyped names, status 2 for usage errors, arguments read strictly from
// left to right with the first problem reported. CLI11 holds the declaration of the command (names,
// descriptions, arguments, the help and version flags); the arguments are read against that
// declaration here, because CLI11's own reading differs from those conventions in its texts, its
// exit codes and in which words it takes for options.

namespace ostrel::cli {
namespace {

struct SubcommandSpec {
  const char* name;
  const char* about;
  Subcommand kind;
  const char* argument;  // nullptr when the subcommand takes none
  const char* value_name;
  const char* argument_help;
};

constexpr SubcommandSpec kSubcommands[] = {
    {"run", "Run an Ostrel source file", Subcommand::Run, "file", "FILE", "Path to the .ost source file"},
    {"parse", "Parse a file and print the AST (for debugging)", Subcommand::Parse, "file", "FILE",
     "Path to the .ost source file"},
    {"eval", "Evaluate an expression from the command line", Subcommand::Eval, "expr", "EXPR",
     "Expression to evaluate"},
    {"repl", "Start an interactive REPL session", Subcommand::Repl, nullptr, nullptr, nullptr},
};

constexpr char kProgram[] = "ostrel";
constexpr char kHelpSubcommand[] = "help";
constexpr double kSimilarEnough = 0.7;

std::unique_ptr<CLI::App> define_command() {
  auto app = std::make_unique<CLI::App>("Ostrel programming language interpreter", kProgram);
  app->set_help_flag("-h,--help", "Print help");
  app->set_version_flag("-V,--version", std::string(kVersion), "Print version");
  for (const SubcommandSpec& spec : kSubcommands) {
    CLI::App* sub = app->add_subcommand(spec.name, spec.about);
    if (spec.argument) {
      sub->add_option(spec.argument)->description(spec.argument_help)->type_name(spec.value_name)->required();
    }
  }
  CLI::App* help = app->add_subcommand(kHelpSubcommand, "Print this message or the help of the given subcommand(s)");
  help->set_help_flag();
  help->add_option("subcommand")->description("Print help for the subcommand(s)")->type_name("COMMAND")->expected(0, -1);
  return app;
}

// ---- Reading the declaration ----

bool is_root(const CLI::App& command) { return command.get_parent() == nullptr; }

std::vector<const CLI::App*> subcommands_of(const CLI::App& command) {
  return command.get_subcommands([](const CLI::App*) { return true; });
}

const CLI::App* find_subcommand(const CLI::App& command, const std::string& word) {
  for (const CLI::App* sub : subcommands_of(command)) {
    if (sub->get_name() == word) return sub;
  }
  return nullptr;
}

std::vector<const CLI::Option*> positionals_of(const CLI::App& command) {
  return command.get_options([](const CLI::Option* option) { return option->get_positional(); });
}

std::vector<const CLI::Option*> flags_of(const CLI::App& command) {
  return command.get_options([](const CLI::Option* option) { return !option->get_positional(); });
}

bool takes_many(const CLI::Option& positional) { return positional.get_items_expected_max() > 1; }

std::string placeholder(const CLI::Option& positional) {
  const std::string name = positional.get_type_name();
  std::string text = positional.get_required() ? "<" + name + ">" : "[" + name + "]";
  return takes_many(positional) ? text + "..." : text;
}

std::string long_name(const CLI::Option& flag) { return "--" + flag.get_lnames().front(); }

Subcommand kind_of(const CLI::App& command) {
  for (const SubcommandSpec& spec : kSubcommands) {
    if (command.get_name() == spec.name) return spec.kind;
  }
  return Subcommand::Repl;  // not reached: only declared subcommands are entered
}

// ---- Texts ----

struct Row {
  StyledText label;
  std::string description;
};

void add_section(StyledText& text, const char* title, const std::vector<Row>& rows) {
  if (rows.empty()) return;
  std::size_t width = 0;
  for (const Row& row : rows) width = std::max(width, row.label.render(false).size());
  text.add("\n").add(std::string(title) + ":", Style::Header).add("\n");
  for (const Row& row : rows) {
    std::size_t padding = width - row.label.render(false).size() + 2;
    text.add("  ").add(row.label).add(std::string(padding, ' ')).add(row.description).add("\n");
  }
}

StyledText literal(const std::string& text) { return StyledText().add(text, Style::Literal); }

class Texts {
 public:
  explicit Texts(std::string program) : program_(std::move(program)) {}

  StyledText help(const CLI::App& command) const {
    StyledText text;
    text.add(command.get_description()).add("\n\n").add("Usage:", Style::Header).add(" ");
    text.add(usage(command, nullptr)).add("\n");
    std::vector<Row> commands, arguments, options;
    for (const CLI::App* sub : subcommands_of(command)) commands.push_back({literal(sub->get_name()), sub->get_description()});
    for (const CLI::Option* positional : positionals_of(command)) {
      arguments.push_back({StyledText().add(placeholder(*positional)), positional->get_description()});
    }
    for (const CLI::Option* flag : flags_of(command)) {
      StyledText label = literal("-" + flag->get_snames().front());
      options.push_back({label.add(", ").add(long_name(*flag), Style::Literal), flag->get_description()});
    }
    add_section(text, "Commands", commands);
    add_section(text, "Arguments", arguments);
    add_section(text, "Options", options);
    return text;
  }

  // "error: MESSAGE", an optional tip, the usage (naming `used_flag` when the error concerns it) and
  // a pointer to the help.
  StyledText usage_error(const StyledText& message, const CLI::App& command, const std::optional<StyledText>& tip,
                         const CLI::Option* used_flag) const {
    StyledText text;
    text.add("error:", Style::Error).add(" ").add(message);
    if (tip) text.add("\n\n  ").add("tip:", Style::Valid).add(" ").add(*tip);
    text.add("\n\n").add("Usage:", Style::Header).add(" ").add(usage(command, used_flag)).add("\n");
    if (const CLI::Option* help = command.get_help_ptr()) {
      text.add("\nFor more information, try '").add(long_name(*help), Style::Literal).add("'.\n");
    }
    return text;
  }

 private:
  StyledText usage(const CLI::App& command, const CLI::Option* used_flag) const {
    StyledText text = literal(is_root(command) ? program_ : program_ + " " + command.get_name());
    if (used_flag) text.add(" ").add(long_name(*used_flag), Style::Literal);
    for (const CLI::Option* positional : positionals_of(command)) {
      if (!used_flag || positional->get_required()) text.add(" " + placeholder(*positional));
    }
    if (!subcommands_of(command).empty()) text.add(" <COMMAND>");
    return text;
  }

  std::string program_;
};

StyledText unexpected_argument(const std::string& shown) {
  return StyledText().add("unexpected argument '").add(shown, Style::Invalid).add("' found");
}

// ---- Reading the arguments ----

struct Exit {
  bool to_stderr;
  StyledText text;
  int status;
};

using Outcome = std::variant<Command, Exit>;

bool is_long_flag(const std::string& word) { return word.size() > 2 && word.compare(0, 2, "--") == 0; }

// "-x" is an option, but "-1" is a value (a negative number) and "-" alone is a value too.
bool is_short_flag(const std::string& word) {
  return word.size() > 1 && word[0] == '-' && word[1] != '-' && !std::isdigit(static_cast<unsigned char>(word[1]));
}

bool looks_like_flag(const std::string& word) { return word.size() > 1 && word[0] == '-' && word != "--"; }

class Scanner {
 public:
  Scanner(const CLI::App& root, std::string program, std::vector<std::string> arguments)
      : root_(root), current_(&root), texts_(std::move(program)), arguments_(std::move(arguments)) {}

  Outcome scan() {
    for (std::size_t i = 0; i < arguments_.size(); ++i) {
      const std::string& argument = arguments_[i];
      if (!after_double_dash_) {
        if (const CLI::App* sub = find_subcommand(*current_, argument)) {
          if (sub->get_name() == kHelpSubcommand) return help_subcommand(i + 1);
          current_ = sub;
          continue;
        }
        if (argument == "--") {
          after_double_dash_ = true;
          continue;
        }
        if (is_long_flag(argument)) return long_flag(std::string_view(argument).substr(2));
        if (is_short_flag(argument)) return short_flag(std::string_view(argument).substr(1));
      }
      if (auto error = take_value(argument)) return *error;
    }
    return finish();
  }

 private:
  // `help NAME...`: the help of the named subcommand, looked up without reading options.
  Outcome help_subcommand(std::size_t first) {
    for (std::size_t i = first; i < arguments_.size(); ++i) {
      const CLI::App* sub = find_subcommand(*current_, arguments_[i]);
      if (!sub) return usage_error(unrecognized_subcommand(lossy_utf8(arguments_[i])));
      current_ = sub;
    }
    return Exit{false, texts_.help(*current_), 0};
  }

  Exit long_flag(std::string_view body) {
    std::size_t equals = body.find('=');
    std::string name = lossy_utf8(body.substr(0, equals));
    const CLI::Option* flag = nullptr;
    for (const CLI::Option* candidate : flags_of(*current_)) {
      if (candidate->check_lname(name)) flag = candidate;
    }
    if (!flag) return unknown_long_flag(name);
    if (equals != std::string_view::npos) {
      StyledText message;
      message.add("unexpected value '").add(lossy_utf8(body.substr(equals + 1)), Style::Invalid).add("' for '");
      message.add(long_name(*flag), Style::Literal).add("' found; no more were expected");
      return usage_error(message, std::nullopt, flag);
    }
    return flag_reply(*flag);
  }

  Exit unknown_long_flag(const std::string& name) const {
    const std::string shown = "--" + name;
    // The most similar long name wins; among equals the one declared last.
    const CLI::Option* similar = nullptr;
    double best = kSimilarEnough;
    for (const CLI::Option* flag : flags_of(*current_)) {
      double similarity = jaro_similarity(name, flag->get_lnames().front());
      if (similarity > kSimilarEnough && similarity >= best) {
        similar = flag;
        best = similarity;
      }
    }
    if (!similar) return usage_error(unexpected_argument(shown), value_tip(shown));
    StyledText tip;
    tip.add("a similar argument exists: '").add(long_name(*similar), Style::Valid).add("'");
    return usage_error(unexpected_argument(shown), tip, similar);
  }

  // Every flag of this command ends the reading (help or version), so only the first letter of a
  // group such as "-hV" counts.
  Exit short_flag(std::string_view body) {
    DecodedChar first = decode_utf8(body);
    std::string letter(body.substr(0, first.length));
    if (first.valid) {
      for (const CLI::Option* flag : flags_of(*current_)) {
        if (flag->check_sname(letter)) return flag_reply(*flag);
      }
    }
    std::string shown = "-" + lossy_utf8(first.valid ? letter : body);
    return usage_error(unexpected_argument(shown), value_tip(shown));
  }

  Exit flag_reply(const CLI::Option& flag) const {
    if (&flag == current_->get_help_ptr()) return Exit{false, texts_.help(*current_), 0};
    return Exit{false, StyledText().add(root_.get_name() + " " + kVersion + "\n"), 0};
  }

  // Values are taken only by commands with one value each at most: `help` and its list of names
  // is read apart, by help_subcommand.
  std::optional<Exit> take_value(const std::string& argument) {
    if (values_.size() >= positionals_of(*current_).size()) return unexpected_value(argument);
    if (!is_valid_utf8(argument)) {
      return usage_error(StyledText().add("invalid UTF-8 was detected in one or more arguments"));
    }
    values_.push_back(argument);
    return std::nullopt;
  }

  Exit unexpected_value(const std::string& argument) const {
    std::string shown = lossy_utf8(argument);
    if (subcommands_of(*current_).empty()) {
      bool may_be_value = !after_double_dash_ && looks_like_flag(argument);
      return usage_error(unexpected_argument(shown), may_be_value ? value_tip(shown) : std::nullopt);
    }
    if (after_double_dash_ && find_subcommand(*current_, argument)) {
      StyledText tip;
      tip.add("subcommand '").add(shown, Style::Valid).add("' exists; to use it, remove the '");
      tip.add("--", Style::Invalid).add("' before it");
      return usage_error(unexpected_argument("--"), tip);
    }
    return usage_error(unrecognized_subcommand(shown), similar_subcommands_tip(shown));
  }

  Outcome finish() const {
    if (current_ == &root_) return Exit{true, texts_.help(root_), 2};
    std::vector<const CLI::Option*> positionals = positionals_of(*current_);
    if (values_.size() < positionals.size() && positionals[values_.size()]->get_required()) {
      StyledText message;
      message.add("the following required arguments were not provided:");
      for (std::size_t i = values_.size(); i < positionals.size(); ++i) {
        if (positionals[i]->get_required()) message.add("\n  ").add(placeholder(*positionals[i]), Style::Valid);
      }
      return usage_error(message);
    }
    return Command{kind_of(*current_), values_.empty() ? std::string() : values_.front()};
  }

  // "to pass '-x' as a value, use '-- -x'", for commands that take values.
  std::optional<StyledText> value_tip(const std::string& shown) const {
    if (positionals_of(*current_).empty()) return std::nullopt;
    StyledText tip;
    tip.add("to pass '").add(shown, Style::Invalid).add("' as a value, use '").add("-- " + shown, Style::Valid).add("'");
    return tip;
  }

  std::optional<StyledText> similar_subcommands_tip(const std::string& shown) const {
    std::vector<std::pair<double, std::string>> similar;
    for (const CLI::App* sub : subcommands_of(*current_)) {
      double similarity = jaro_similarity(shown, sub->get_name());
      if (similarity > kSimilarEnough) similar.emplace_back(similarity, sub->get_name());
    }
    if (similar.empty()) return std::nullopt;
    std::stable_sort(similar.begin(), similar.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    StyledText tip;
    tip.add(similar.size() == 1 ? "a similar subcommand exists: " : "some similar subcommands exist: ");
    for (std::size_t i = 0; i < similar.size(); ++i) {
      tip.add(i == 0 ? "'" : ", '").add(similar[i].second, Style::Valid).add("'");
    }
    return tip;
  }

  static StyledText unrecognized_subcommand(const std::string& shown) {
    return StyledText().add("unrecognized subcommand '").add(shown, Style::Invalid).add("'");
  }

  Exit usage_error(const StyledText& message, const std::optional<StyledText>& tip = std::nullopt,
                   const CLI::Option* used_flag = nullptr) const {
    return Exit{true, texts_.usage_error(message, *current_, tip, used_flag), 2};
  }

  const CLI::App& root_;
  const CLI::App* current_;
  Texts texts_;
  std::vector<std::string> arguments_;
  bool after_double_dash_ = false;
  std::vector<std::string> values_;
};

// The name under which the program was started, as help and usage show it.
std::string program_name(const char* invoked_as) {
  std::string_view path = invoked_as ? invoked_as : "";
  while (!path.empty() && path.back() == '/') path.remove_suffix(1);
  std::string_view base = path.substr(path.rfind('/') + 1);
  if (base.empty() || base == "." || base == ".." || !is_valid_utf8(base)) return kProgram;
  return std::string(base);
}

int print_exit(const Exit& exit) {
  std::FILE* stream = exit.to_stderr ? stderr : stdout;
  bool colour = colour_wanted(isatty(fileno(stream)) == 1, [](const char* name) { return std::getenv(name); });
  std::string text = exit.text.render(colour);
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
  return exit.status;
}

}  // namespace

std::variant<Command, int> read_command_line(int argc, const char* const* argv) {
  std::unique_ptr<CLI::App> definition = define_command();
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  Scanner scanner(*definition, program_name(argc > 0 ? argv[0] : nullptr), std::move(arguments));
  Outcome outcome = scanner.scan();
  if (auto* command = std::get_if<Command>(&outcome)) return std::move(*command);
  return print_exit(std::get<Exit>(outcome));
}

}  // namespace ostrel::cli
