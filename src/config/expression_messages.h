// The texts that dollar-bracket evaluation gives in place of a result when
// something is wrong with an expression.
#pragma once

namespace expression_text {
inline constexpr char missingArgument[] = "<< ${ }: missing arguments>>";
inline constexpr char firstIndexOutOfRange[] = "<<1st index out of range>>";
inline constexpr char secondIndexOutOfRange[] = "<<2nd index out of range>>";
inline constexpr char replacementDoesNotEnd[] = "<<${ } replacement does not end>>";
inline constexpr char nestedTooDeeply[] = "<<${ } expression nested too deeply>>";
inline constexpr char tooCostly[] = "<<${ } expression too costly>>";
}  // namespace expression_text
