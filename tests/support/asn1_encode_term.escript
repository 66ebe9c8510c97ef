#!/usr/bin/env escript
%% Encodes one value written as an Erlang term with Erlang's asn1 application
%% (asn1ct), for tests that need a peer's encoding of a value they state:
%%
%%   escript asn1_encode_term.escript RULES WORKDIR FILE TYPE TERM
%%     RULES   ber | der | per | uper
%%     WORKDIR where the generated Erlang code goes
%%     FILE    the ASN.1 module file
%%     TYPE    the type assignment to encode
%%     TERM    the value as asn1ct's records and strings, e.g. {'Name',"John","P","Smith"}
%%
%% Prints the encoding in hexadecimal, or "error WHY" and exits 1.
-mode(compile).

main([Rules, Dir, File, Type, Term]) ->
    ok = filelib:ensure_dir(filename:join(Dir, "x")),
    Options = [list_to_atom(Rules), {outdir, Dir}, {i, Dir}, noobj],
    ok = asn1ct:compile(filename:absname(File), Options),
    Erl = filename:join(Dir, filename:rootname(filename:basename(File)) ++ ".erl"),
    {ok, Module, Beam} = compile:file(Erl, [binary, report, {i, Dir}]),
    {module, Module} = code:load_binary(Module, Erl, Beam),
    {ok, Tokens, _} = erl_scan:string(Term ++ "."),
    {ok, Value} = erl_parse:parse_term(Tokens),
    case Module:encode(list_to_atom(Type), Value) of
        {ok, Bin} -> io:put_chars([binary:encode_hex(iolist_to_binary(Bin)), $\n]), halt(0);
        Other -> io:format("error ~0p~n", [Other]), halt(1)
    end;
main(_) ->
    io:format(standard_error, "usage: asn1_encode_term.escript RULES WORKDIR FILE TYPE TERM~n", []),
    halt(2).
