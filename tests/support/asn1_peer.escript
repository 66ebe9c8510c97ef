#!/usr/bin/env escript
%% The peer codec of the agreement tests: Erlang's asn1 application (asn1ct)
%% compiles the given module files, in the order given (a module after those
%% it imports from), under one set of encoding rules, and then answers, line
%% by line, what it makes of encodings:
%%
%%   escript asn1_peer.escript RULES WORKDIR FILE...
%%     RULES   ber | der | per | uper
%%     WORKDIR where the generated Erlang code goes
%%
%% Each input line "Module Type HEX" is decoded as Type of the ASN.1 module
%% and encoded again; the answer is "ok HEX" (Erlang's own encoding of what
%% it decoded) or "error WHY".
%% The first line of the answers is "ready", once the modules are compiled
%% (the compiler's own words come before it).
-mode(compile).

main([Rules, Dir | Files]) when Files =/= [] ->
    ok = filelib:ensure_dir(filename:join(Dir, "x")),
    lists:foreach(fun(File) -> compileModule(Rules, Dir, File) end, Files),
    io:setopts(standard_io, [binary]),
    io:put_chars("ready\n"),
    loop(),
    halt(0);
main(_) ->
    io:format(standard_error, "usage: asn1_peer.escript RULES WORKDIR FILE...~n", []),
    halt(2).

%% A .erl file is code asn1ct generated already (Debian's erlang-src ships
%% OTP-PUB-KEY.erl, asn1ct's DER code of the PKIX modules); it is only
%% compiled.
compileModule(Rules, Dir, File) ->
    Erl = case filename:extension(File) of
              ".erl" -> File;
              _ -> generate(Rules, Dir, File)
          end,
    Include = filename:join(filename:dirname(filename:dirname(Erl)), "include"),
    {ok, Module, Beam} = compile:file(Erl, [binary, report, {i, Dir}, {i, Include}]),
    {module, Module} = code:load_binary(Module, Erl, Beam).

generate(Rules, Dir, File) ->
    Options = [list_to_atom(Rules), {outdir, Dir}, {i, Dir}, noobj],
    case asn1ct:compile(filename:absname(File), Options) of
        ok -> ok;
        {error, Why} -> io:format(standard_error, "asn1ct: ~p~n", [Why]), halt(2)
    end,
    filename:join(Dir, filename:rootname(filename:basename(File)) ++ ".erl").

loop() ->
    case io:get_line(standard_io, "") of
        eof -> ok;
        Line ->
            io:put_chars([answer(string:trim(Line)), $\n]),
            loop()
    end.

answer(Line) ->
    try
        [Module, Type, Hex] = binary:split(Line, <<" ">>, [global]),
        M = binary_to_atom(Module),
        T = binary_to_atom(Type),
        case M:decode(T, binary:decode_hex(Hex)) of
            {ok, Value} -> encoded(M:encode(T, Value));
            {ok, Value, _Rest} -> encoded(M:encode(T, Value));
            Other -> io_lib:format("error ~0p", [Other])
        end
    catch
        Class:Reason -> io_lib:format("error ~0p:~0p", [Class, Reason])
    end.

encoded({ok, Bin}) -> ["ok ", binary:encode_hex(iolist_to_binary(Bin))];
encoded(Other) -> io_lib:format("error ~0p", [Other]).
