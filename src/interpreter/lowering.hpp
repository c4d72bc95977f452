#pragma once
// Lowering: turns a syntax tree into the evaluator's lowered form (code.hpp) and resolves every
// name to the slots that may hold it.
//
// The scopes of the language are lexical: the top level's own scope (the global table), each
// call's scope (the function's own name and its parameters), and one scope per block, loop,
// comprehension and match arm. A scope can hold only the names declared or assigned while it
// is the innermost one, so once a function is lowered those sets are known, and a name used at
// some point can only be held by the scopes around that point that have it in their set,
// innermost first, ending with the global table at the top level or with a slot for the value
// the function captured when it was made. Which of them holds it at a given moment is decided
// at run time by the first bound slot, exactly as a search of the scopes would. The list ends
// early at a slot sure to be bound at that point (a parameter, a loop's variable, a name its
// block declared before): reading such a name cannot fail, and no outer slot is needed.
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ast/ast.hpp"
#include "interpreter/code.hpp"
#include "interpreter/stack_guard.hpp"
#include "interpreter/symbols.hpp"
#include "interpreter/variables.hpp"

namespace ostrel {

class Lowering {
 public:
  // `moves_globals`: see code::Moves.
  Lowering(SymbolTable& symbols, Globals& globals, const StackGuard& guard, bool moves_globals)
      : symbols_(symbols), globals_(globals), guard_(guard), moves_globals_(moves_globals) {}

  // One top-level statement, on the heap, where its instructions can point into it. Null when
  // the tree nests too deeply to be lowered on this stack. New global names get unbound slots in
  // the table.
  std::unique_ptr<code::TopLevel> lower(const ast::Stmt& statement);

  // The recursive walk (used by the lowering's own visitors).
  code::Stmt statement(const ast::Stmt& statement);
  code::ExprPtr expression(const ast::Expr& expression);
  // `shared`: the slots the pattern names of one match's arms share (see declare_pattern_name).
  code::Pattern pattern(const ast::Pattern& pattern, code::ScopeSlots& shared);
  code::Closure function(std::optional<std::string> name, const std::vector<ast::Param>& params,
                         const ast::Expr& body);
  // A String constant. Those of one program with the same text share one payload, so that a
  // member name and the dictionary key it names compare by address.
  Value text(const std::string& text);
  // Called at every level: once the stack runs low, lowering stops and `lower` fails.
  bool out_of_stack();

  // Scopes, as the walk enters and leaves them.
  void enter_scope();
  code::ScopeSlots leave_scope();
  // How many slots the innermost scope has so far.
  size_t scope_size() const { return function_->innermost->slots.size(); }
  // The innermost scope's slots so far are bound before any of its code runs, and stay so.
  void bound_from_start();
  // The innermost scope's own slot for a name (a declaration, a loop variable, a pattern name).
  code::Slot declare(const std::string& name);
  uint32_t declare_local(const std::string& name);
  // A name of the pattern of the arm whose scope is the innermost one.
  uint32_t declare_pattern_name(const std::string& name, code::ScopeSlots& shared);
  // A use of a name, resolved into `ref` once the enclosing function is lowered; `assigned`
  // makes sure the innermost scope can hold it.
  void use(code::Ref& ref, const std::string& name, bool assigned);
  // A name changed where it is bound (a compound assignment), which may be the function's own.
  void changed(const std::string& name);
  // Records where a Ref sits, to be resolved once the enclosing function is lowered.
  void resolve_later(code::Ref& ref);

 private:
  // Names with their slots in the order they came, found by name at once: a function may have
  // hundreds of thousands of them.
  class NamedSlots {
   public:
    using Entry = std::pair<Symbol, uint32_t>;
    size_t size() const { return entries_.size(); }
    const Entry& operator[](size_t i) const { return entries_[i]; }
    // The position of the name's entry, or size() when it has none.
    size_t position(Symbol name) const {
      auto found = positions_.find(name);
      return found == positions_.end() ? entries_.size() : found->second;
    }
    const Entry* find(Symbol name) const {
      size_t at = position(name);
      return at == entries_.size() ? nullptr : &entries_[at];
    }
    void add(Symbol name, uint32_t slot) {
      positions_.emplace(name, entries_.size());
      entries_.emplace_back(name, slot);
    }

   private:
    std::vector<Entry> entries_;
    std::unordered_map<Symbol, size_t> positions_;
  };
  struct Scope {
    Scope* parent = nullptr;  // null for the outermost scope of a function or of the top level
    NamedSlots slots;
    size_t always_bound = 0;  // the first slots: a call's own name and parameters, a loop's variable
    bool global = false;      // the top level's own scope: the global table
  };
  // A use of a name: where its Ref sits, the scope it is used in, and the slot that is sure to be
  // bound there, if any.
  struct Use {
    code::Ref* ref;
    Scope* scope;
    std::optional<code::Slot> bound;
  };
  struct Function {
    Function* outer = nullptr;  // null for the top level
    std::deque<Scope> scopes;   // the outermost first
    Scope* innermost = nullptr;
    uint32_t frame_size = 0;
    NamedSlots captured;
    std::vector<Use> uses;
    std::vector<bool> declared;  // by slot: a declaration binds it (see keep_declared_only)
    std::optional<Symbol> own_name;  // a declared function's, once its slot is made
    bool own_name_changed = false;   // the body may put something else in the own name's slot
  };

  code::Slot innermost_slot(const std::string& name);
  uint32_t local_slot(Scope& scope, Symbol name);
  std::optional<code::Slot> bound_here(const Scope* scope, Symbol name);
  bool is_declared(uint32_t slot) const;
  void mark_declared(uint32_t slot);
  void resolve(Function& function, const Use& use);
  void keep_declared_only(const Function& function, code::Ref& ref);
  uint32_t captured_slot(Function& function, Symbol name);

  SymbolTable& symbols_;
  Globals& globals_;
  const StackGuard& guard_;
  bool moves_globals_;
  bool out_of_stack_ = false;
  Function* function_ = nullptr;  // the function being lowered, innermost
  std::unordered_map<std::string, Value> texts_;
};

}  // namespace ostrel
