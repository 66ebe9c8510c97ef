#!/usr/bin/env escript
%% Encodes values written as Erlang terms with Erlang's asn1 application
%% (asn1ct), for tests that need a peer's encoding of values they state:
%%
%%   escript asn1_encode_term.escript RULES WORKDIR FILE
%%     RULES   ber | der | per | uper
%%     WORKDIR where the generated Erlang code goes
%%     FILE    the ASN.1 module file
%%
%% Each input line "Type TERM" (TERM as asn1ct's records and strings, e.g.
%% {'Name',"John","P","Smith"}, or any Erlang expression, such as 'M':v() for
%% the value that the module's value assignment v compiles to) is answered
%% with the encoding in hexadecimal or "error WHY". The first line of the
%% answers is "ready".
-mode(compile).

main([Rules, Dir, File]) ->
    ok = filelib:ensure_dir(filename:join(Dir, "x")),
    %% asn1ct names the generated header after the module, the code after
    %% the file: the module is compiled from a copy named after it.
    {ok, Text} = file:read_file(File),
    {match, [Name]} = re:run(Text, "^\\s*([A-Z][A-Za-z0-9-]*)\\s*(?:{[^}]*})?\\s*DEFINITIONS",
                             [multiline, {capture, all_but_first, list}]),
    Copy = filename:join(Dir, Name ++ ".asn1"),
    ok = file:write_file(Copy, Text),
    Options = [list_to_atom(Rules), {outdir, Dir}, {i, Dir}, noobj],
    ok = asn1ct:compile(Copy, Options),
    Erl = filename:join(Dir, Name ++ ".erl"),
    {ok, Module, Beam} = compile:file(Erl, [binary, report, {i, Dir}]),
    {module, Module} = code:load_binary(Module, Erl, Beam),
    io:put_chars("ready\n"),
    loop(Module),
    halt(0);
main(_) ->
    io:format(standard_error, "usage: asn1_encode_term.escript RULES WORKDIR FILE~n", []),
    halt(2).

loop(Module) ->
    case io:get_line(standard_io, "") of
        eof -> ok;
        Line ->
            io:put_chars([answer(Module, string:trim(Line)), $\n]),
            loop(Module)
    end.

answer(Module, Line) ->
    try
        [Type, Term] = string:split(Line, " "),
        {ok, Tokens, _} = erl_scan:string(Term ++ "."),
        {ok, Exprs} = erl_parse:parse_exprs(Tokens),
        {value, Value, _} = erl_eval:exprs(Exprs, []),
        case Module:encode(list_to_atom(Type), Value) of
            {ok, Bin} -> binary:encode_hex(iolist_to_binary(Bin));
            Other -> io_lib:format("error ~0p", [Other])
        end
    catch
        Class:Reason -> io_lib:format("error ~0p:~0p", [Class, Reason])
    end.
