#!/usr/bin/env escript
%% The Erlang side of scripts/bench-codec: asn1ct's DER code of the PKIX
%% modules (OTP-PUB-KEY.erl of Debian's erlang-src, compiled here), timed on
%% the same certificates in the same way as ours:
%%   escript erlang_cert_bench.escript OTP-PUB-KEY.erl WORKDIR LIST REPEAT
%% Prints "decode SECONDS" (processor time of the decoding loop).
-mode(compile).

main([Erl, Dir, List, Repeat]) ->
    ok = filelib:ensure_dir(filename:join(Dir, "x")),
    Include = filename:join(filename:dirname(filename:dirname(Erl)), "include"),
    {ok, Module, Beam} = compile:file(Erl, [binary, report, {i, Include}]),
    {module, Module} = code:load_binary(Module, Erl, Beam),
    {ok, Names} = file:read_file(List),
    Certs = [begin {ok, B} = file:read_file(N), B end
             || N <- binary:split(Names, <<"\n">>, [global, trim_all])],
    N = list_to_integer(Repeat),
    {_, _} = statistics(runtime),
    loop(Module, Certs, N),
    {_, Ms} = statistics(runtime),
    io:format("decode ~.6f~n", [Ms / 1000]);
main(_) ->
    io:format(standard_error, "usage: erlang_cert_bench.escript OTP-PUB-KEY.erl WORKDIR LIST REPEAT~n", []),
    halt(2).

loop(_, _, 0) -> ok;
loop(Module, Certs, N) ->
    lists:foreach(fun(C) -> {ok, _} = Module:decode('Certificate', C) end, Certs),
    loop(Module, Certs, N - 1).
