// The texts that dollar-bracket evaluation gives in place of a result when
// something is wrong with an expression.
#pragma once

namespace expression_text {
inline constexpr char kMissingArgument[] = "<< ${ }: missing arguments>>";
inline constexpr char kFirstIndexOutOfRange[] = "<<1st index out of range>>";
inline constexpr char kSecondIndexOutOfRange[] = "<<2nd index out of range>>";
inline constexpr char kReplacementDoesNotEnd[] = "<<${ } replacement does not end>>";
inline constexpr char kNestedTooDeeply[] = "<<${ } expression nested too deeply>>";
inline constexpr char kTooCostly[] = "<<${ } expression too costly>>";
}  // namespace expression_text
