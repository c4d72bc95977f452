#include "ast/print_tree.hpp"

#include <gtest/gtest.h>

#include "support/big_stack.hpp"
#include "support/text_format.hpp"

using namespace ostrel::ast;
using ostrel::print_tree;
using ostrel::quoted_text;

namespace {

ExprPtr integer(std::int64_t value) { return make_expr(expr::Integer{value}); }
ExprPtr identifier(const char* name) { return make_expr(expr::Identifier{name}); }
ExprPtr boolean(bool value) { return make_expr(expr::Boolean{value}); }

template <class T, class... Items>
std::vector<T> list_of(Items&&... items) {
  std::vector<T> list;
  (list.push_back(std::move(items)), ...);
  return list;
}

template <class... Statements>
Stmt module(Statements&&... statements) {
  return Stmt(stmt::Module{list_of<Stmt>(std::move(statements)...)});
}

Stmt expression(ExprPtr e) { return Stmt(stmt::Expression{std::move(e)}); }

}  // namespace

TEST(PrintTree, CallWithStringAndFloat) {
  auto call = make_expr(expr::FunctionCall{identifier("print"), list_of<ExprPtr>(make_expr(expr::StringLit{"hi"}),
                                                                               make_expr(expr::Float{1.5}))});
  EXPECT_EQ(print_tree(module(expression(std::move(call)))), R"(Module(
    [
        Expression(
            FunctionCall(
                Identifier(
                    "print",
                ),
                [
                    StringLit(
                        "hi",
                    ),
                    Float(
                        1.5,
                    ),
                ],
            ),
        ),
    ],
))");
}

TEST(PrintTree, FunctionDeclarationRecord) {
  FunctionDecl decl{"f", {Param{"a", std::nullopt}}, "Int", identifier("a")};
  EXPECT_EQ(print_tree(module(Stmt(stmt::FunctionDeclaration{std::move(decl)}))), R"(Module(
    [
        FunctionDeclaration(
            FunctionDecl {
                name: "f",
                params: [
                    Param {
                        name: "a",
                        type_annotation: None,
                    },
                ],
                return_type: Some(
                    "Int",
                ),
                body: Identifier(
                    "a",
                ),
            },
        ),
    ],
))");
}

TEST(PrintTree, EmptyModule) { EXPECT_EQ(print_tree(module()), "Module(\n    [],\n)"); }

TEST(PrintTree, OptionalsPairsAndPatterns) {
  std::vector<std::pair<ExprPtr, ExprPtr>> entries;
  entries.emplace_back(make_expr(expr::StringLit{"k"}), boolean(true));
  entries.emplace_back(integer(-5), make_expr(expr::Float{1e20}));
  Stmt declaration(stmt::VariableDeclaration{"x", "Int", make_expr(expr::Dict{std::move(entries)})});

  std::vector<MatchArm> arms;
  arms.push_back(MatchArm{Pattern{pattern::Wildcard{}}, nullptr, integer(0)});
  Pattern head_and_rest{pattern::List{list_of<Pattern>(Pattern{pattern::Identifier{"h"}}), "t"}};
  arms.push_back(MatchArm{std::move(head_and_rest), boolean(false), make_expr(expr::Lambda{{}, make_expr(expr::Block{})})});
  Stmt match = expression(make_expr(expr::Match{identifier("x"), std::move(arms)}));

  EXPECT_EQ(print_tree(module(std::move(declaration), Stmt(stmt::Return{nullptr}), std::move(match))), R"(Module(
    [
        VariableDeclaration(
            "x",
            Some(
                "Int",
            ),
            Dict(
                [
                    (
                        StringLit(
                            "k",
                        ),
                        Boolean(
                            true,
                        ),
                    ),
                    (
                        Integer(
                            -5,
                        ),
                        Float(
                            1e20,
                        ),
                    ),
                ],
            ),
        ),
        Return(
            None,
        ),
        Expression(
            Match(
                Identifier(
                    "x",
                ),
                [
                    MatchArm {
                        pattern: Wildcard,
                        guard: None,
                        body: Integer(
                            0,
                        ),
                    },
                    MatchArm {
                        pattern: List(
                            [
                                Identifier(
                                    "h",
                                ),
                            ],
                            Some(
                                "t",
                            ),
                        ),
                        guard: Some(
                            Boolean(
                                false,
                            ),
                        ),
                        body: Lambda(
                            [],
                            Block(
                                [],
                            ),
                        ),
                    },
                ],
            ),
        ),
    ],
))");
}

TEST(PrintTree, ImportsTypesAndData) {
  Stmt import(stmt::Import{import_kind::Selective{{"a", "b"}, "m.n"}});
  TypeExpr map{type_expr::Parameterized{"Map", list_of<TypeExpr>(TypeExpr{type_expr::Simple{"K"}},
                                                                  TypeExpr{type_expr::Tuple{}})}};
  Stmt type(stmt::TypeDefinition{"Pair", std::move(map)});
  Stmt data(stmt::DataDefinition{"Opt", {DataConstructor{"Some", {"v"}}, DataConstructor{"None", {}}}});
  EXPECT_EQ(print_tree(module(std::move(import), std::move(type), std::move(data))), R"(Module(
    [
        Import(
            Selective(
                [
                    "a",
                    "b",
                ],
                "m.n",
            ),
        ),
        TypeDefinition(
            "Pair",
            Parameterized(
                "Map",
                [
                    Simple(
                        "K",
                    ),
                    Tuple(
                        [],
                    ),
                ],
            ),
        ),
        DataDefinition(
            "Opt",
            [
                DataConstructor {
                    name: "Some",
                    fields: [
                        "v",
                    ],
                },
                DataConstructor {
                    name: "None",
                    fields: [],
                },
            ],
        ),
    ],
))");
}

TEST(QuotedText, EscapesWhatWouldNotShow) {
  EXPECT_EQ(quoted_text("a\nb\"c\\d"), R"("a\nb\"c\\d")");
  EXPECT_EQ(quoted_text(std::string("\t\r\0'", 4)), R"("\t\r\0'")");
  EXPECT_EQ(quoted_text("é \x1b \x7f"), R"("é \u{1b} \u{7f}")");
  // A combining acute accent, a no-break space, a zero-width space, a soft hyphen.
  EXPECT_EQ(quoted_text("e\u0301\u00a0\u200b\u00ad"), R"("e\u{301}\u{a0}\u{200b}\u{ad}")");
  // Private use and unassigned code points; a thumbs-up with a skin tone stays visible.
  EXPECT_EQ(quoted_text("\ue000\U0010ffff\U0001f44d\U0001f3fb"), "\"\\u{e000}\\u{10ffff}\U0001f44d\U0001f3fb\"");
}

TEST(PrintTree, DeepChainStreamsWithoutOverflow) {
  // 1 + 1 + ... + 1 nests to the left, one level per operator. Its print grows with the square of
  // the depth (about 120 GB here), so it is counted, not kept.
  constexpr int kDepth = 100000;
  ExprPtr chain = integer(1);
  for (int i = 0; i < kDepth; ++i) chain = make_expr(expr::BinaryOp{BinaryOperator::Add, std::move(chain), integer(1)});
  Stmt root = module(expression(std::move(chain)));

  int operators = 0, integers = 0;
  std::string tail;
  int status = ostrel::run_on_big_stack([&] {
    return print_tree(root, [&](std::string_view piece) {
      operators += piece == "BinaryOp";
      integers += piece == "Integer";
      tail.append(piece.substr(piece.size() > 16 ? piece.size() - 16 : 0));
      if (tail.size() > 32) tail.erase(0, tail.size() - 16);
      return true;
    }) == ostrel::PrintEnd::Complete ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(operators, kDepth);
  EXPECT_EQ(integers, kDepth + 1);
  EXPECT_EQ(tail.substr(tail.size() - 15), "    ),\n    ],\n)");
}

TEST(PrintTree, FailingSinkEndsThePrintAtOnce) {
  ExprPtr chain = integer(1);
  for (int i = 0; i < 1000; ++i) chain = make_expr(expr::UnaryOp{UnaryOperator::Neg, std::move(chain)});
  Stmt root = module(expression(std::move(chain)));
  int calls = 0;
  EXPECT_EQ(print_tree(root, [&](std::string_view) { return ++calls < 10; }), ostrel::PrintEnd::SinkFailed);
  EXPECT_EQ(calls, 10);
}
