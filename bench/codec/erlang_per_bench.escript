#!/usr/bin/env escript
%% The Erlang side of the PER part of scripts/bench-codec: asn1ct's code for
%% the same module under one variant, compiled here, timed like ours:
%%   escript erlang_per_bench.escript RULES MODULE WORKDIR LIST TYPE REPEAT
%% Prints "RULES-decode SECONDS" and "RULES-encode SECONDS" (processor time).
-mode(compile).

main([Rules, File, Dir, List, Type, Repeat]) ->
    ok = filelib:ensure_dir(filename:join(Dir, "x")),
    ok = asn1ct:compile(filename:absname(File), [list_to_atom(Rules), {outdir, Dir}, {i, Dir}, noobj]),
    Erl = filename:join(Dir, filename:rootname(filename:basename(File)) ++ ".erl"),
    {ok, Module, Beam} = compile:file(Erl, [binary, report, {i, Dir}]),
    {module, Module} = code:load_binary(Module, Erl, Beam),
    {ok, Names} = file:read_file(List),
    Messages = [begin {ok, B} = file:read_file(N), B end
                || N <- binary:split(Names, <<"\n">>, [global, trim_all])],
    T = list_to_atom(Type),
    N = list_to_integer(Repeat),
    {_, _} = statistics(runtime),
    Values = decode(Module, T, Messages, N, []),
    {_, Decode} = statistics(runtime),
    encode(Module, T, Values, N),
    {_, Encode} = statistics(runtime),
    io:format("~s-decode ~.6f~n~s-encode ~.6f~n", [Rules, Decode / 1000, Rules, Encode / 1000]);
main(_) ->
    io:format(standard_error, "usage: erlang_per_bench.escript RULES MODULE WORKDIR LIST TYPE REPEAT~n", []),
    halt(2).

decode(_, _, _, 0, Values) -> Values;
decode(Module, T, Messages, N, _) ->
    decode(Module, T, Messages, N - 1, [begin {ok, V} = Module:decode(T, M), V end || M <- Messages]).

encode(_, _, _, 0) -> ok;
encode(Module, T, Values, N) ->
    lists:foreach(fun(V) -> {ok, _} = Module:encode(T, V) end, Values),
    encode(Module, T, Values, N - 1).
